#include "transfer/MlinkModel.h"

#include "base/LineFile.h"
#include "base/Path.h"
#include "base/Sjis.h"
#include "transfer/MlinkHeader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace transfer {

using base::sj;

namespace {

std::string pair(const char* format, long long a, long long b) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}
std::string slash(std::int64_t a, std::int64_t b) {
    return pair("%lld / %lld", a, b);
}
std::string minSec(std::int64_t a, std::int64_t b) {
    return pair("%lld:%lld", a, b);
}

std::string cannotCreate() {
    return sj(u8"[MLINK] ファイルを作成 または ダウンロードできません.");
}

// rename() that fails with EEXIST instead of replacing what is under the new name. Where
// the file system has no such rename, a hard link does the same; where it has neither, the
// name is checked just before an ordinary rename.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST)
        return false;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Makes a rename in `dir` durable; a failure leaves a complete file either way.
void syncFolder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool writeAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

} // namespace

MlinkModel::MlinkModel(base::EventLoop& loop, MlinkLine& line, std::string folder)
    : loop_(loop), line_(line), folder_(std::move(folder)), deadline_(loop, 1),
      uploadTimer_(loop, kUploadTickMs), timer1_(loop, kProgressTickMs) {
    deadline_.setOnTimer([this] {
        deadline_.setEnabled(false);
        auto fn = onDeadline_;
        onDeadline_ = nullptr;
        if (fn)
            (this->*fn)();
    });
    uploadTimer_.setOnTimer([this] { UPLOAD_TIMERTimer(); });
    timer1_.setOnTimer([this] { Timer1Timer(); });
    ClearStatus();
}

MlinkModel::~MlinkModel() {
    discardDownload();
    closeFile();
}

// ---- shared ----

void MlinkModel::changed() {
    if (view_)
        view_->changed();
}

void MlinkModel::showWindow() {
    visible_ = true;
    timer1_.setEnabled(true);
    if (view_)
        view_->showWindow();
}

void MlinkModel::closeWindow() {
    timer1_.setEnabled(false);
    if (!visible_)
        return;
    visible_ = false;
    if (view_)
        view_->closeWindow();
}

void MlinkModel::ClearStatus() {
    display_.progress = 0;
    display_.recvSize = slash(0, 0);
    display_.block = slash(0, 0);
    display_.timeCount = minSec(0, 0);
    display_.speed = "0";
    display_.filename.clear();
    // The estimate of the previous transfer would be a wrong figure for this one.
    display_.leftTime = minSec(0, 0);
    changed();
}

void MlinkModel::progressTo(std::int64_t done) {
    display_.progress = done / 1024;
    display_.recvSize = slash(done, transferSize_);
    display_.block = slash(done / 1024, transferSize_ / 1024);
    changed();
}

// The figures of the last transfer would show in the progress panels until this one's
// data phase sets them.
void MlinkModel::resetCounters() {
    transferSize_ = 0;
    bytesDone_ = 0;
    tickBase_ = loop_.nowMs();
    lastActivity_ = tickBase_;
}

void MlinkModel::startDeadline(int ms, void (MlinkModel::*onExpiry)()) {
    deadline_.setEnabled(false);
    onDeadline_ = onExpiry;
    deadline_.setInterval(ms);
    deadline_.setEnabled(true);
}

void MlinkModel::stopTimers() {
    deadline_.setEnabled(false);
    onDeadline_ = nullptr;
    uploadTimer_.setEnabled(false);
}

void MlinkModel::closeFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

int MlinkModel::fault(FileStep step) {
    const int err = faultHook_ ? faultHook_(step) : 0;
    if (err != 0)
        errno = err;
    return err;
}

void MlinkModel::discardDownload() {
    closeFile();
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

void MlinkModel::endHandshake(std::string pending) {
    stopTimers();
    discardDownload();
    closeWindow();
    phase_ = Phase::Idle;
    while (line_.ringHasByte())
        pending += static_cast<char>(line_.ringGetC());
    line_.setReceiveMode(0);
    if (!pending.empty())
        line_.receiveAsText(pending);
}

void MlinkModel::fail(const std::string& status) {
    line_.setStatus(status);
    line_.logError(status);
}

// ---- upload ----

std::string MlinkModel::resolveUploadPath(const std::string& path) const {
    const std::string native = base::nativePath(path);
    if (!native.empty() && native.front() == '/')
        return native;
    return base::joinPath(folder_, native);
}

void MlinkModel::MUP(const std::string& path) {
    if (busy())
        return;
    uploadPath_ = path;
    resetCounters();
    line_.setReceiveMode(1);
    showWindow();
    ClearStatus();
    line_.clearRing();
    abortRequested_ = false;
    phase_ = Phase::UpPause;
    startDeadline(kUploadPauseMs, &MlinkModel::uploadPauseOver);
}

void MlinkModel::uploadPauseOver() {
    display_.protName = " < M-LINK UPLOAD > ";
    display_.sizeLabel = sj(u8"送信サイズ");
    changed();
    // The file must exist as a regular file that can be read; it is opened now so that it
    // cannot vanish between the check and the header.
    // Paths are Shift-JIS text; on a disk whose names are UTF-8 the same name is found
    // under its UTF-8 spelling, as the writers found it when the upload was reserved.
    const std::string native = base::diskSpelling(resolveUploadPath(uploadPath_));
    int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        fail(sj(u8"[MLINK] UP  <") + uploadPath_ + sj(u8"> ファイルが存在しません."));
        endHandshake();
        return;
    }
    fd_ = fd;
    transferSize_ = st.st_size;
    phase_ = Phase::UpWaitReady;
    startDeadline(kReadySignMs, &MlinkModel::readySignTimedOut);
    checkReadySign();
}

void MlinkModel::checkReadySign() {
    if (phase_ != Phase::UpWaitReady || !line_.ringHasByte())
        return;
    const unsigned char c = line_.ringGetC();
    if (c != 'M') {
        closeFile();
        fail(sj(u8"[MLINK] -ヘッダ送信- 相手側から中止されました."));
        endHandshake(std::string(1, static_cast<char>(c)));
        return;
    }
    display_.filename = uploadPath_;
    changed();
    // Whatever came before the header (a repeated ready sign) cannot answer it.
    line_.clearRing();
    phase_ = Phase::UpWaitOk;
    startDeadline(kOkSignMs, &MlinkModel::okSignTimedOut);
    line_.send(uploadHeader(base::fileNamePart(uploadPath_), transferSize_));
}

void MlinkModel::readySignTimedOut() {
    closeFile();
    fail(sj(u8"[MLINK] -ヘッダ送信- ｱｯﾌﾟﾛｰﾄﾞ : 時間切れ."));
    endHandshake();
}

void MlinkModel::checkOkSign() {
    if (phase_ != Phase::UpWaitOk || !line_.ringHasByte())
        return;
    const unsigned char c = line_.ringGetC();
    if (c != 'M') {
        closeFile();
        fail(sj(u8"[MLINK] -転送OKサイン待機- 相手側から中止されました."));
        endHandshake(std::string(1, static_cast<char>(c)));
        return;
    }
    deadline_.setEnabled(false);
    onDeadline_ = nullptr;
    display_.progressMax = transferSize_ / 1024;
    bytesDone_ = 0;
    line_.setUploadSent(false);
    tickBase_ = loop_.nowMs();
    lastActivity_ = tickBase_;
    phase_ = Phase::UpData;
    changed();
    // What else is in the ring is the host's, and it is discarded in the data phase.
    line_.clearRing();
    line_.setReceiveMode(3);
    uploadTimer_.setEnabled(true);
}

void MlinkModel::okSignTimedOut() {
    closeFile();
    fail(sj(u8"[MLINK] -転送OKサイン待機- ﾀｲﾑｱｳﾄによりアップロードを中止しました."));
    endHandshake();
    line_.send("A\b");
}

void MlinkModel::UPLOAD_TIMERTimer() {
    if (phase_ != Phase::UpData || line_.receiveMode() != 3)
        return;
    lastActivity_ = loop_.nowMs();
    if (line_.sendFailed()) {
        uploadFailed(bytesDone_);
        return;
    }
    const std::size_t backlog = line_.sendBacklog();
    if (bytesDone_ >= transferSize_) {
        // Done once everything has left: a line that fails before then fails the upload.
        if (backlog == 0)
            finishUpload();
        return;
    }
    // What the line has not taken yet stays within its queue: a slow line makes the pump
    // wait a tick, it never makes it block or pile up.
    if (backlog + kBlockBytes > static_cast<std::size_t>(kLineQueueBytes))
        return;
    const std::int64_t n = std::min<std::int64_t>(kBlockBytes, transferSize_ - bytesDone_);
    char buf[kBlockBytes + 1];
    ssize_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd_, buf + got, static_cast<size_t>(n - got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += r;
    }
    if (got != n) {
        uploadFailed(n);
        return;
    }
    line_.send(std::string_view(buf, static_cast<size_t>(n)));
    if (line_.sendFailed()) {
        uploadFailed(bytesDone_);
        return;
    }
    bytesDone_ += n;
    if (bytesDone_ < transferSize_) {
        progressTo(bytesDone_);
        return;
    }
    // The last block: done once it has all left the line.
    if (line_.sendBacklog() == 0)
        finishUpload();
    else
        progressTo(bytesDone_);
}

void MlinkModel::uploadFailed(std::int64_t readingSize) {
    line_.setReceiveMode(0);
    uploadTimer_.setEnabled(false);
    line_.send("\r");
    closeFile();
    char sizes[80];
    std::snprintf(sizes, sizeof sizes, "Size %lld Reading Size %lld ",
                  static_cast<long long>(transferSize_), static_cast<long long>(readingSize));
    const std::string status =
        sj(u8"MLINK プロトコル 送信／ファイル読み込みエラーまたは送信エラー") + display_.filename +
        sizes;
    line_.setStatus(status);
    line_.logErrorPlain(status);
    phase_ = Phase::Idle;
    closeWindow();
}

void MlinkModel::finishUpload() {
    uploadTimer_.setEnabled(false);
    closeFile();
    closeWindow();
    phase_ = Phase::Idle;
    line_.setReceiveMode(0);
    line_.send("\r");
}

void MlinkModel::uploadReceive(std::size_t n) {
    if (phase_ == Phase::UpData && n > static_cast<std::size_t>(kUploadGuardBytes))
        ABORTClick();
}

// ---- download ----

std::string MlinkModel::downloadFolder() const {
    return base::joinPath(folder_, kDownloadFolder);
}

void MlinkModel::MDOWN() {
    if (busy())
        return;
    resetCounters();
    showWindow();
    ClearStatus();
    phase_ = Phase::DownPause;
    startDeadline(kDownloadPauseMs, &MlinkModel::downloadPauseOver);
}

void MlinkModel::downloadPauseOver() {
    line_.clearRing();
    line_.setReceiveMode(1);
    abortRequested_ = false;
    display_.protName = " < M-LINK DOWNLOAD > ";
    display_.sizeLabel = sj(u8"受信サイズ(Byte)");
    changed();
    phase_ = Phase::DownHeader;
    attempt_ = 0;
    headerAttempt();
}

void MlinkModel::headerAttempt() {
    ++attempt_;
    headerBuf_.clear();
    startDeadline(kHeaderReadMs, &MlinkModel::headerReadFailed);
    line_.send("M");
    pullHeaderLine();
}

void MlinkModel::pullHeaderLine() {
    while (phase_ == Phase::DownHeader && line_.ringHasByte()) {
        const char c = static_cast<char>(line_.ringGetC());
        if (c == '\r') {
            headerLine(headerBuf_);
            return;
        }
        headerBuf_ += c;
        if (headerBuf_.size() > static_cast<std::size_t>(kMaxHeaderBytes)) {
            // No header is this long: what came is the host's text.
            refuseHeader(headerBuf_);
            return;
        }
    }
}

// An empty line counts as no header, like the end of the wait.
void MlinkModel::headerReadFailed() {
    if (phase_ != Phase::DownHeader)
        return;
    if (attempt_ < 2) {
        headerAttempt();
        return;
    }
    fail(sj(u8"[MLINK] ﾀﾞｳﾝﾛｰﾄﾞ :  タイムアウト"));
    endHandshake(headerBuf_);
}

void MlinkModel::headerLine(const std::string& line) {
    if (line.empty()) {
        deadline_.setEnabled(false);
        headerReadFailed();
        return;
    }
    const std::optional<DownloadHeader> h = parseDownloadHeader(line);
    if (!h) {
        refuseHeader(line + "\r");
        return;
    }
    wantedName_ = safeDownloadName(h->name);
    transferSize_ = h->size.value_or(0);
    display_.filename = std::string(kDownloadFolder) + "\\" + wantedName_;
    bytesDone_ = 0;
    display_.recvSize = slash(0, transferSize_);
    changed();
    if (wantedName_.empty() || !h->size || !createDownloadFile(*h->size)) {
        refuseHeader(line + "\r");
        return;
    }
    display_.filename = std::string(kDownloadFolder) + "\\" + finalName_;
    deadline_.setEnabled(false);
    onDeadline_ = nullptr;
    display_.progressMax = transferSize_ / 1024;
    tickBase_ = loop_.nowMs();
    lastActivity_ = tickBase_;
    changed();
    // Nothing of the data can come before the OK sign below.
    line_.clearRing();
    phase_ = Phase::DownData;
    line_.setReceiveMode(2);
    line_.send("M");
    if (transferSize_ == 0) {
        // Nothing to wait for: the file is complete the moment its data phase begins.
        finishDownload(nullptr, 0);
    }
}

// Whatever the host sent where the header belongs and is not taken (its failure report,
// a header naming no file or no size, a file that cannot be created) is answered with the
// abort, so that a sender still waiting for the OK sign gives up; the line itself is the
// host's text for the auto-pilot.
void MlinkModel::refuseHeader(const std::string& text) {
    line_.send("A\b");
    fail(cannotCreate());
    endHandshake(text);
}

std::string MlinkModel::freeName(const std::string& dir) const {
    for (int n = 0; n <= kMaxNumbered; ++n) {
        const std::string name = n == 0 ? wantedName_ : numberedName(wantedName_, n);
        struct stat st {};
        // Anything under the name (a file, a folder, a link, even one to nothing) takes it.
        if (::lstat(base::joinPath(dir, name).c_str(), &st) != 0 && errno == ENOENT)
            return name;
    }
    return {};
}

bool MlinkModel::createDownloadFile(std::int64_t size) {
    const std::string dir = downloadFolder();
    if (!base::dirExists(dir) && !base::makeDirs(dir))
        return false;
    struct statvfs vfs {};
    if (::statvfs(dir.c_str(), &vfs) == 0) {
        const auto room = static_cast<long double>(vfs.f_bavail) * vfs.f_frsize;
        if (static_cast<long double>(size) > room)
            return false;
    }
    finalName_ = freeName(dir);
    if (finalName_.empty())
        return false;
    std::string temp = base::joinPath(dir, ".mlink-XXXXXX");
    std::vector<char> buf(temp.begin(), temp.end());
    buf.push_back('\0');
    const int fd = fault(FileStep::Create) ? -1 : ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) {
        finalName_.clear();
        return false;
    }
    ::fchmod(fd, 0644);
    fd_ = fd;
    tempPath_ = buf.data();
    finalPath_ = base::joinPath(dir, finalName_);
    return true;
}

void MlinkModel::downloadData(const char* data, std::size_t n) {
    if (phase_ != Phase::DownData) {
        line_.receiveAsText(std::string_view(data, n));
        return;
    }
    lastActivity_ = loop_.nowMs();
    const auto want = static_cast<std::size_t>(transferSize_ - bytesDone_);
    const std::size_t take = std::min(n, want);
    if (fault(FileStep::Write) || !writeAll(fd_, data, take)) {
        line_.send("A\b");
        fail(cannotCreate());
        endHandshake();
        return;
    }
    bytesDone_ += static_cast<std::int64_t>(take);
    if (bytesDone_ < transferSize_) {
        progressTo(bytesDone_);
        return;
    }
    finishDownload(data + take, n - take);
}

// The host takes "E\r" as the file being safe: it deletes the mail, and the auto-pilot
// removes the reservation on its word. So the end mark goes only once the file is synced
// and under its final name; a file that cannot be kept is answered with the abort, and the
// host's failure report leaves the mail and the reservation for the next run.
void MlinkModel::finishDownload(const char* rest, std::size_t restCount) {
    closeWindow();
    phase_ = Phase::Idle;
    line_.setReceiveMode(0);
    if (keepDownload()) {
        line_.send("E\r");
        const std::string done = sj(u8"[MLINK] すべて受信しました.");
        if (finalName_ == wantedName_) {
            line_.setStatus(done);
        } else {
            const std::string folder = std::string(kDownloadFolder) + "\\";
            fail(done + " " + folder + wantedName_ + sj(u8" は既にあるので ") + folder +
                 finalName_ + sj(u8" に保存しました."));
        }
    } else {
        line_.send("A\b");
        discardDownload();
        fail(cannotCreate());
    }
    if (restCount > 0)
        line_.receiveAsText(std::string_view(rest, restCount));
}

// Syncs and closes the temporary file and gives it its final name without replacing
// anything: a name taken since the header moves the file on to the next free one.
bool MlinkModel::keepDownload() {
    bool synced = !fault(FileStep::Sync) && ::fsync(fd_) == 0;
    synced = ::close(fd_) == 0 && synced;
    fd_ = -1;
    if (!synced)
        return false;
    const std::string dir = downloadFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (fault(FileStep::Rename))
            return false;
        if (renameNoReplace(tempPath_, finalPath_)) {
            tempPath_.clear();
            display_.filename = std::string(kDownloadFolder) + "\\" + finalName_;
            changed();
            syncFolder(dir);
            return true;
        }
        if (errno != EEXIST)
            return false;
        finalName_ = freeName(dir);
        if (finalName_.empty())
            return false;
        finalPath_ = base::joinPath(dir, finalName_);
    }
    return false;
}

// ---- ring, abort, progress ----

void MlinkModel::ringData() {
    switch (phase_) {
    case Phase::UpWaitReady:
        checkReadySign();
        break;
    case Phase::UpWaitOk:
        checkOkSign();
        break;
    case Phase::DownHeader:
        pullHeaderLine();
        break;
    default:
        break;
    }
}

void MlinkModel::ringOverrun() {
    if (!busy())
        return;
    // A flood where a one-byte sign or one line belongs: the ring's bytes are no answer.
    line_.clearRing();
    ABORTClick();
}

void MlinkModel::ABORTClick() {
    line_.setReceiveMode(0);
    stopTimers();
    line_.send("A\b");
    const std::string status = sj(u8"ファイル転送を中止します.");
    fail(status);
    discardDownload();
    closeFile();
    closeWindow();
    phase_ = Phase::Idle;
    line_.clearRing();
}

void MlinkModel::Timer1Timer() {
    if (!visible_)
        return;
    const std::int64_t now = loop_.nowMs();
    if (now - lastActivity_ > kInactivityMs) {
        abortRequested_ = true;
        // A header wait ends on the flag; anywhere else nothing would ever end the
        // transfer (the window holds the watchdog), so it is aborted.
        if (phase_ == Phase::DownHeader) {
            deadline_.setEnabled(false);
            onDeadline_ = nullptr;
            attempt_ = 2;
            headerReadFailed();
        } else {
            ABORTClick();
        }
        return;
    }
    const std::int64_t e = now - tickBase_;
    display_.timeCount = minSec(e / 60000, (e / 1000) % 60);
    const std::int64_t s = e / 1000;
    if (s > 0 && bytesDone_ > 0) {
        const std::int64_t rate = bytesDone_ / s;
        display_.speed = std::to_string(rate);
        if (rate > 0) {
            const std::int64_t left = (transferSize_ - bytesDone_) / rate;
            display_.leftTime = minSec(left / 60, left % 60);
        }
    }
    changed();
}

} // namespace transfer
