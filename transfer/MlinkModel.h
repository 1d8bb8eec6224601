#pragma once
// MLINK file transfer: the upload (MUP) and download (MDOWN) of one file over the
// terminal's line, with the progress the transfer window shows and its abort.
//
// Flow. A transfer takes the line over through the terminal's receive mode: 1 while it
// handshakes (received bytes collect in the terminal's ring buffer and ringData() is
// called), 2 while a download's data arrive (downloadData()), 3 while an upload's data go
// out (uploadReceive() counts what the host sends meanwhile). Every wait of the protocol
// is a phase with a deadline on the loop: the pauses before a handshake, the host's ready
// and OK signs, the two header reads of a download. The upload pump sends one block of at
// most 1024 bytes every 200 ms, and only while the line has room for it (a slow line holds
// it back); the upload is done once everything has left, and a failed send ends it with its
// error status; the progress timer (150 ms) runs while the window is
// shown. Every end — done, failed, aborted — gives the line back in receive mode 0, closes
// the window, and hands what the host sent during the handshake back to the terminal as
// received text, so the auto-pilot reads the host's own word on the transfer.
//
// Files. Downloads go to DOWNLOAD in the data folder (created when missing) under the
// host's name reduced to a plain file name; a name already there (two boards' files, a
// board's and a mail's) is never replaced: the download takes the first free NAME~n.EXT.
// They are written to a temporary file there and renamed only when complete and synced,
// so a failed or aborted download leaves nothing under a final name; only then does the
// host hear the end mark, and a file that cannot be kept is answered with the abort.
// Exactly the announced size is written; bytes after it go back to the terminal. Uploads read the
// file at the path the reservation gives ("\" separators, relative to the data folder).
//
// Everything runs on the loop's thread. Texts are Shift-JIS.
#include "base/EventLoop.h"
#include "transfer/MlinkLine.h"
#include "transfer/ProtView.h"

#include <cstdint>
#include <functional>
#include <string>

namespace transfer {

class MlinkModel {
public:
    static constexpr int kUploadPauseMs = 700;
    static constexpr int kDownloadPauseMs = 300;
    static constexpr int kReadySignMs = 15000;
    static constexpr int kOkSignMs = 12000;
    static constexpr int kHeaderReadMs = 10000;
    static constexpr int kUploadTickMs = 200;
    static constexpr int kBlockBytes = 1024;
    // The most the pump lets wait on the line (the port's transmit queue): a line that drains
    // slower than one block a tick holds the pump back instead of piling up.
    static constexpr int kLineQueueBytes = 4096;
    static constexpr int kProgressTickMs = 150;
    static constexpr int kInactivityMs = 60000;
    // A handshake notification above this many bytes while uploading is the host cancelling.
    static constexpr int kUploadGuardBytes = 10;
    // A header line longer than this is no header.
    static constexpr int kMaxHeaderBytes = 512;
    static constexpr const char* kDownloadFolder = "DOWNLOAD";
    // The most "~n" names tried for a download whose name is taken.
    static constexpr int kMaxNumbered = 9999;

    // What the transfer window shows (Shift-JIS texts).
    struct Display {
        std::string protName;  // ProtName
        std::string sizeLabel; // Label6
        std::string filename;  // Filename
        std::string timeCount; // TimeCount
        std::string recvSize;  // RecvSize
        std::string block;     // Block
        std::string speed;     // Speed
        std::string leftTime;  // LeftTime
        std::int64_t progressMax = 100;
        std::int64_t progress = 0;
    };

    enum class Phase {
        Idle,
        UpPause,
        UpWaitReady,
        UpWaitOk,
        UpData,
        DownPause,
        DownHeader,
        DownData,
    };

    // The steps of putting a download on disk, in order; Write happens once per received
    // notification.
    enum class FileStep { Create, Write, Sync, Rename };
    // A test seam in front of each step: it returns an errno value (ENOSPC, EIO, ...) to
    // make the step fail, 0 to let it run. Empty (the default): every step runs.
    using FaultHook = std::function<int(FileStep)>;

    // `folder` is the data folder: DOWNLOAD lives there and relative upload paths start there.
    MlinkModel(base::EventLoop& loop, MlinkLine& line, std::string folder = ".");
    ~MlinkModel();
    MlinkModel(const MlinkModel&) = delete;
    MlinkModel& operator=(const MlinkModel&) = delete;

    void setView(ProtView* view) { view_ = view; }
    void setFaultHook(FaultHook hook) { faultHook_ = std::move(hook); }

    // Starts an upload of `path`; nothing when a transfer is already running.
    void MUP(const std::string& path);
    // Starts a download; nothing when a transfer is already running.
    void MDOWN();

    // The upload pump (every 200 ms in the data phase).
    void UPLOAD_TIMERTimer();
    // Receive mode 2: the bytes of one notification.
    void downloadData(const char* data, std::size_t n);
    // Receive mode 3: a notification of n bytes arrived (they are dropped).
    void uploadReceive(std::size_t n);
    // Receive mode 1: bytes were put into the ring buffer.
    void ringData();
    // The ring buffer could not take what arrived: the transfer ends.
    void ringOverrun();
    // "中断", the forced end and the hang-up.
    void ABORTClick();
    // Progress and the inactivity check (every 150 ms while the window is shown).
    void Timer1Timer();
    // The window's panels back to their empty state.
    void ClearStatus();

    bool visible() const { return visible_; }
    Phase phase() const { return phase_; }
    bool busy() const { return phase_ != Phase::Idle; }
    const Display& display() const { return display_; }
    std::int64_t TransferSize() const { return transferSize_; }
    std::int64_t BytesDone() const { return bytesDone_; }
    bool AbortRequested() const { return abortRequested_; }
    // The file a download is going to (native path, relative to the data folder's parent
    // as given); empty when none.
    const std::string& downloadPath() const { return finalPath_; }

private:
    // upload
    void uploadPauseOver();
    void checkReadySign();
    void checkOkSign();
    void readySignTimedOut();
    void okSignTimedOut();
    void finishUpload();
    // Ends the upload with its error status: the file could not be read to `readingSize`
    // bytes, or the line failed.
    void uploadFailed(std::int64_t readingSize);
    // download
    void downloadPauseOver();
    void headerAttempt();
    void pullHeaderLine();
    void headerLine(const std::string& line);
    void headerReadFailed();
    void refuseHeader(const std::string& text);
    std::string freeName(const std::string& dir) const;
    bool createDownloadFile(std::int64_t size);
    void finishDownload(const char* rest, std::size_t restCount);
    bool keepDownload();
    // shared
    void showWindow();
    void closeWindow();
    void changed();
    void progressTo(std::int64_t done);
    void resetCounters();
    void startDeadline(int ms, void (MlinkModel::*onExpiry)());
    void stopTimers();
    void closeFile();
    void discardDownload();
    // The seam's verdict on a step; 0 to run it. Sets errno to the injected value.
    int fault(FileStep step);
    // Ends a handshake that failed: the window closes, the line returns to terminal mode,
    // and `pending` plus the ring's bytes reach the terminal as received text.
    void endHandshake(std::string pending = {});
    void fail(const std::string& status);
    std::string resolveUploadPath(const std::string& path) const;
    std::string downloadFolder() const;

    base::EventLoop& loop_;
    MlinkLine& line_;
    std::string folder_;
    ProtView* view_ = nullptr;
    FaultHook faultHook_;

    Phase phase_ = Phase::Idle;
    bool visible_ = false;
    Display display_;
    int fd_ = -1; // TransferFile
    std::string uploadPath_;
    std::string tempPath_;
    std::string wantedName_; // the host's name reduced to a plain one
    std::string finalName_;  // the free name the download gets in DOWNLOAD
    std::string finalPath_;
    std::int64_t transferSize_ = 0;
    std::int64_t bytesDone_ = 0;
    std::int64_t tickBase_ = 0;
    std::int64_t lastActivity_ = 0;
    bool abortRequested_ = false;
    int attempt_ = 0;
    std::string headerBuf_;

    base::Timer deadline_;
    void (MlinkModel::*onDeadline_)() = nullptr;
    base::Timer uploadTimer_;
    base::Timer timer1_;
};

} // namespace transfer
