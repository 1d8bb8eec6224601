#pragma once
// The capture-log import: turns the lines a host sent (the terminal's line table) into the
// board store of one net. It recognises each kind of host output by the command line typed
// at the main prompt and by fixed host texts, and copies the lines that belong to it:
// board lists to MBOARD.LST / FBOARD.LST, member list to MEMBOR.LST, new-file and list
// downloads merged into FBOARDnn.LST / MBOARDnn.LST, mail appended to MAIL.DAT, new messages
// appended to MBOARDnn.DAT, and the unread date into the net list. Every board that
// received messages is then reorganised (LogEditModel::go with removal off), the net
// manager reloads the net, and the user is asked whether to open the mail box.
//
// Three callers: LogConv at the end of every run (archive, import, delete VESPARI.LOG), the
// net manager's "LOG取込み" with a saved file's lines, and the start-up recovery of a capture
// log that an interrupted run left behind. Each import runs to its end in one call; no state
// survives it.
//
// Input: `lines` with `writePointer` as its count. For a live run entries 1..WP-1 are whole
// lines and WP is the unfinished one; a file's lines are entries 0..n-1 with WP = n. The
// line at WP-1 reads as "MAIN>" (a sentinel that ends every section running to the next main
// prompt); nothing beyond the table is read. A host's output may be anything: numbers out
// of range, headers with missing fields, a capture cut off anywhere. Such parts are skipped
// with an error-log line and the import goes on; a list that was cut off by the end of the
// capture leaves the previous file in place. A store file that cannot be written stops the
// import: what was written stays, the reorganise and mail steps do not run, and the result
// is false, so that the end of a run keeps VESPARI.LOG for the next start.
#include "base/ErrorLog.h"
#include "base/EventLoop.h"
#include "shell/NetList.h"
#include "store/LogEditModel.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

// What the run wrote beside its capture log (VESPARI.CMD): a line "C <index> <command>"
// for every reading command the terminal typed at the host's main prompt, <index> being the
// line-table entry it was typed on. The import opens a command's section only on a line
// the terminal really typed that command on, so text that anybody posted cannot. The end
// of the run and the recovery add stage lines to the same file, so that an import of the
// capture that was interrupted is finished, not repeated:
//   "N"        the capture had no record when its import began
//   "A <size>" the archive's size before the capture was appended to it
//   "a"        the capture is in the archive
//   "M <size>" MAIL.DAT's size before the import appended mail
//   "s"        every line the import appends has been appended
struct CommandRecord {
    bool present = false; // false: an old capture without a record
    std::map<int, std::string> typed;
    std::optional<std::uintmax_t> archiveBefore;
    bool archived = false;
    std::optional<std::uintmax_t> mailBefore;
    bool scanned = false;

    // True when a command beginning with `command` was typed on line `index`.
    bool typedAt(int index, std::string_view command) const;
    // The record in the file at `path`, each index moved by `shift`; not present when
    // the file does not exist or says it began without a record.
    static CommandRecord read(const std::string& path, int shift);
};

// What the import needs of the windows. Every hook defaults to doing nothing.
class ImportHost {
public:
    virtual ~ImportHost() = default;
    // The main window's progress bar (maximum, then positions) and status text.
    virtual void progressMax(int) {}
    virtual void progress(int) {}
    virtual void status(const std::string&) {}
    // Lets the windows repaint during the long work.
    virtual void repaint() {}
    // The reorganise dialog shown while the boards are put in order, its board field
    // changed, and the dialog closed again.
    virtual void openReorganiser() {}
    virtual void reorganiserChanged() {}
    virtual void closeReorganiser() {}
    // The net manager reloads the net's files (NetNoChange).
    virtual void NetNoChange() {}
    // A Yes/No question ("質問です．"), true for Yes; a warning ("警告です．").
    virtual bool ask(const std::string&) { return false; }
    virtual void warn(const std::string&) {}
    // The main window's mail box button.
    virtual void openMailBox() {}
    // The question that offers the mail box after an import that took mail. The program
    // asks it without waiting for the answer, so a timed run is never held up by it.
    virtual void offerMailBox(const std::string& question) {
        if (ask(question))
            openMailBox();
    }
    // The recovery chooses the capture's net in the net manager (ListBox1Click).
    virtual void selectNet(int) {}
    // A file's lines became the terminal's line table (entries 0.., WritePointer = their
    // count), so the raw log view shows what was imported.
    virtual void tableLoaded(const std::vector<std::string>&) {}
};

class ConvModel {
public:
    static constexpr const char* kCaptureLog = "VESPARI.LOG";
    static constexpr const char* kCaptureMarker = "*- TRN_TMP_LOG_FILE -*";
    static constexpr const char* kCommandRecord = "VESPARI.CMD";
    // The capture log holds three banner lines before the run's table entry 1, and the
    // recovery loads it from its fourth line on: entry k of the run is entry k + 2 there.
    static constexpr int kRecoveryShift = 2;

    struct Deps {
        base::EventLoop& loop; // for today's date (archive name) and error-log stamps
        shell::NetList& nets;  // net folders; the unread date is saved into it
        LogEditModel& logEdit; // the reorganiser the finish runs
        base::ErrorLog& errors;
        ImportHost& host;
        std::string folder = "."; // the data folder
    };
    explicit ConvModel(Deps deps);

    // The end of a run: appends entries 1..writePointer to the net's monthly archive,
    // imports with the run's VESPARI.CMD, and deletes VESPARI.LOG and VESPARI.CMD. False
    // (both kept) when anything failed.
    bool LogConv(const std::vector<std::string>& lines, int writePointer, int net);

    // The import of `lines` (count `writePointer`) into net `net`'s store, without a record
    // of typed commands (an old log): every command line opens its section, and the status
    // text says so. True when every line was examined and every file written.
    bool Conv(const std::vector<std::string>& lines, int writePointer, int net);
    // The same with the record of the run that captured the lines.
    bool Conv(const std::vector<std::string>& lines, int writePointer, int net,
              const CommandRecord& record);

    enum class Recovery {
        NoLog,     // no VESPARI.LOG
        NotMarked, // its first line is not the marker: deleted without asking
        Declined,  // the user said No: kept under a dated name
        Imported,  // imported into its net and deleted
        Failed,    // it could not be imported; it stays for the next start
    };
    // The recovery of a capture log left by an interrupted run. At start-up the user is
    // asked first (`askUser`); before a run it is imported without a question, since the
    // run would empty it. A capture the user declines is kept under a dated name
    // (VESPARI-yyyymmdd-hhmmss.LOG), never emptied.
    Recovery recoverCaptureLog(bool askUser = true);

    // What the last failure was (Shift-JIS), empty after a success.
    const std::string& lastError() const { return lastError_; }

    // Called at every point where an import of a capture may be interrupted, with the
    // name of the stage it has reached (a seam for tests that kill the import there).
    std::function<void(std::string_view stage)> stageHook;

private:
    struct Scan;
    void logError(const std::string& text);
    bool keepDeclinedCapture(const std::string& path);
    bool failed(const std::string& shortName, const std::string& text);
    bool convert(const std::vector<std::string>& lines, int writePointer, int net,
                 const CommandRecord* record, bool journal);
    // Appends lines[from..to] to the archive unless the record says it was done, then
    // imports, then deletes the capture and its record.
    bool archiveAndImport(const std::vector<std::string>& lines, int from, int to, int writePointer,
                          int net, const std::string& archive, const CommandRecord& record,
                          bool archiveFailureStops);
    void note(const std::string& stageLine);
    void stage(std::string_view name) {
        if (stageHook)
            stageHook(name);
    }

    base::EventLoop& loop_;
    shell::NetList& nets_;
    LogEditModel& logEdit_;
    base::ErrorLog& errors_;
    ImportHost& host_;
    std::string folder_;
    std::string lastError_;
};

// True for a stored path that stays inside the data folder: relative, no drive, no ".."
// part, no control bytes.
bool isSafeStorePath(std::string_view stored);

// The raw log view's text: entries max(0, WP - 1000) to WP of the line table, each followed
// by CR LF, cut at 150,000 bytes (never inside a double-byte character).
std::string namaLogText(const std::vector<std::string>& lines, int writePointer);
inline constexpr size_t kNamaLogBuffer = 150000;

} // namespace store
