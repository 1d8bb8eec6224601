// The host's session: input editing and type-ahead, prompting, pauses, login with the mail
// waiting at login, the main prompt and its dispatch, settings and logout.
#include "sim/Host.h"

#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/HostColour.h"
#include "sim/HostText.h"

#include <algorithm>

namespace sim {

using base::sj;

namespace {

constexpr size_t kMaxLine = 255;
constexpr size_t kMaxTextLines = 2000;
constexpr int kSessionMinutes = 60;
constexpr int kLoginTries = 3;

} // namespace

Host::Host(base::EventLoop& loop, DataSet& data, const HostOptions& options, SessionRecord& record,
           HostOutput& out, std::function<void()> hangUp)
    : loop_(loop), data_(data), options_(options), record_(record), out_(out),
      hangUp_(std::move(hangUp)), mlink_(loop, out, options), pause_(loop, 1),
      idle_(loop, options.idleLogoutMs), keepAlive_(loop, std::max(1, options.keepAliveMs)) {
    pause_.setOnTimer([this] {
        pause_.setEnabled(false);
        auto fn = std::move(afterPause_);
        afterPause_ = nullptr;
        discardHeld_ = false;
        if (fn)
            fn();
        if (!afterPause_ && !held_.empty()) {
            std::string held = std::move(held_);
            held_.clear();
            receive(held);
        }
    });
    idle_.setOnTimer([this] {
        say("");
        say(sj(u8"一定時間入力がなかったので切断します。"));
        dropLine();
    });
    keepAlive_.setOnTimer([this] {
        static const std::string_view kKeepAlive[] = {"\a", std::string_view("\0", 1), "\r\n"};
        out_.text(kKeepAlive[keepAlives_++ % 3]);
    });
    if (options.dropAt == HostOptions::DropPoint::Transfer)
        mlink_.onHalfway = [this](const MlinkPeer::Result& r) { halfway(r); };
}

// ---- input ---------------------------------------------------------------------------

void Host::receive(std::string_view bytes) {
    if (frozen_)
        return;
    if (live_) {
        idle_.setEnabled(false);
        idle_.setEnabled(true);
    }
    for (char c : bytes) {
        if (!live_ && input_ != Input::WaitCr)
            return;
        if (afterPause_) {
            if (!discardHeld_)
                held_ += c;
            continue;
        }
        byte(c);
    }
}

void Host::byte(char c) {
    switch (input_) {
    case Input::Off:
        return;
    case Input::WaitCr:
        if (c == '\r') {
            beginSession();
            login();
        }
        return;
    case Input::Mlink:
        mlink_.feed(c);
        return;
    case Input::Line:
    case Input::Secret:
    case Input::Text:
        break;
    }
    bool secret = input_ == Input::Secret;
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\r') {
        out_.echo("\r\n");
        std::string line = std::move(line_);
        line_.clear();
        if (options_.answerDelayMs > 0 && input_ != Input::Secret)
            later(options_.answerDelayMs, [this, line] { lineEntered(line); });
        else
            lineEntered(line);
    } else if (c == '\b' || u == 0x7F) {
        if (line_.empty())
            return;
        bool wide = line_.size() >= 2 && base::isTrailByteAt(line_, static_cast<int>(line_.size()));
        line_.erase(line_.size() - (wide ? 2 : 1));
        if (!secret)
            out_.echo(wide ? "\b\b  \b\b" : "\b \b");
    } else if (u >= 0x20 && line_.size() < kMaxLine) {
        line_ += c;
        if (!secret)
            out_.echo(std::string_view(&c, 1));
    }
}

void Host::lineEntered(const std::string& line) {
    if (input_ == Input::Text) {
        if (line == "//") {
            input_ = Input::Line;
            TextDone done = std::move(textDone_);
            textDone_ = nullptr;
            base::Lines text = std::move(text_);
            text_.clear();
            done(text);
        } else if (text_.size() < kMaxTextLines) {
            text_.push_back(line);
        }
        return;
    }
    if (input_ == Input::Secret) {
        typeAhead_.push_back(line);
    } else {
        size_t start = 0;
        for (;;) {
            size_t semi = line.find(';', start);
            typeAhead_.push_back(line.substr(start, semi - start));
            if (semi == std::string::npos)
                break;
            start = semi + 1;
        }
    }
    if (pending_ && !typeAhead_.empty()) {
        Answer answer = std::move(pending_);
        pending_ = nullptr;
        input_ = Input::Line;
        std::string token = std::move(typeAhead_.front());
        typeAhead_.pop_front();
        answer(token);
    }
}

void Host::ask(const std::string& prompt, Answer answer, bool loginPrompt) {
    if (!live_)
        return;
    if (!typeAhead_.empty()) {
        std::string token = std::move(typeAhead_.front());
        typeAhead_.pop_front();
        answer(token);
        return;
    }
    out_.text(loginPrompt ? colour::loginPrompt(prompt, options_.colour)
                          : colour::prompt(prompt, options_.colour));
    input_ = Input::Line;
    pending_ = std::move(answer);
}

void Host::askSecret(const std::string& prompt, Answer answer) {
    if (!live_)
        return;
    typeAhead_.clear();
    out_.text(colour::loginPrompt(prompt, options_.colour));
    input_ = Input::Secret;
    pending_ = std::move(answer);
}

void Host::readText(TextDone done) {
    if (!live_)
        return;
    flushTypeAhead();
    text_.clear();
    textDone_ = std::move(done);
    input_ = Input::Text;
}

void Host::flushTypeAhead() {
    typeAhead_.clear();
}

void Host::say(const std::string& line) {
    out_.text(line + "\r\n");
}

void Host::sayHeading(const std::string& line) {
    say(colour::heading(line, options_.colour));
}

void Host::sayHeader(const std::string& line) {
    say(colour::header(line, options_.colour));
}

void Host::later(int ms, std::function<void()> fn, bool discardInput) {
    afterPause_ = std::move(fn);
    discardHeld_ = discardInput;
    if (discardInput)
        held_.clear();
    pause_.setInterval(ms);
    pause_.setEnabled(true);
}

// ---- session --------------------------------------------------------------------------

void Host::beginSession() {
    endSession();
    live_ = true;
    loginTries_ = 0;
    menus_ = 0;
    mailCursor_ = 0;
    idle_.setInterval(options_.idleLogoutMs);
    idle_.setEnabled(true);
}

void Host::callUp() {
    beginSession();
    later(options_.bannerDelayMs, [this] { login(); });
}

void Host::waitForCr() {
    endSession();
    input_ = Input::WaitCr;
}

void Host::callDown() {
    endSession();
    out_.clear();
}

void Host::endSession() {
    live_ = false;
    input_ = Input::Off;
    pending_ = nullptr;
    typeAhead_.clear();
    text_.clear();
    textDone_ = nullptr;
    line_.clear();
    pause_.setEnabled(false);
    afterPause_ = nullptr;
    held_.clear();
    idle_.setEnabled(false);
    frozen_ = false;
    keepAlive_.setEnabled(false);
    mlink_.cancel();
    activeDownload_ = activeUpload_ = -1;
}

void Host::dropLine() {
    endSession();
    out_.whenIdle([this] { hangUp_(); });
}

void Host::logoutSoon() {
    ++record_.logouts;
    input_ = Input::Off;
    later(
        options_.hangUpDelayMs, [this] { dropLine(); }, true);
}

int Host::minutesLeft() {
    std::int64_t used = (loop_.nowMs() - loginMs_) / 60000;
    return used >= kSessionMinutes ? 0 : kSessionMinutes - static_cast<int>(used);
}

// ---- login and mail at login ------------------------------------------------------------

void Host::login() {
    say("");
    for (const std::string& line : data_.banner)
        say(line);
    say("");
    if (options_.menuBeforeId)
        loggedIn(); // the host knows the caller by its line and asks for nothing
    else
        askLogin();
}

void Host::askLogin() {
    ask(
        "User ID  = ",
        [this](const std::string& id) {
            askSecret("Password = ", [this, id](const std::string& password) {
                if (upperAscii(base::trim(id)) == upperAscii(data_.user.id) &&
                    password == data_.user.password) {
                    loggedIn();
                    return;
                }
                say(sj(u8"IDまたはパスワードが違います。"));
                if (++loginTries_ >= kLoginTries) {
                    say(sj(u8"接続を終了します。"));
                    dropLine();
                    return;
                }
                askLogin();
            });
        },
        true);
}

void Host::loggedIn() {
    record_.logins.push_back(data_.user.id);
    loginMs_ = loop_.nowMs();
    previousLogin_ = data_.user.lastLogin;
    data_.user.lastLogin = loop_.localNow();
    out_.text(colour::clearScreen(options_.colour));
    say("");
    say(sj(u8"ようこそ ") + data_.user.handle + sj(u8" さん。"));
    say(sj(u8"前回のログイン: ") + hostDateTime(previousLogin_));
    mailCursor_ = 0;
    nextMail();
}

void Host::nextMail() {
    if (mailCursor_ >= data_.mail.size()) {
        mainMenu();
        return;
    }
    int left = static_cast<int>(data_.mail.size() - mailCursor_);
    ask(text::mailWaitingPrompt(left), [this](const std::string& answer) {
        if (base::trim(answer) == "0")
            mainMenu();
        else
            showMail();
    });
}

void Host::showMail() {
    const Mail& m = data_.mail[mailCursor_];
    sayHeader(text::mailFrom(m.from, data_.handleOf(m.from)));
    say(text::mailTime(m.date));
    say(text::mailSubject(m.subject));
    for (const std::string& line : m.body)
        say(line);
    if (!m.binary) {
        askDeleteMail();
        return;
    }
    say(text::mailAttachment(m.fileName, m.content.size()));
    ask(text::binaryMailMenu(), [this](const std::string& answer) {
        if (upperAscii(base::trim(answer)) != "M") {
            askDeleteMail();
            return;
        }
        const Mail& m = data_.mail[mailCursor_];
        say(text::transferStart());
        flushTypeAhead();
        input_ = Input::Mlink;
        DownloadRecord d;
        d.binaryMail = true;
        d.number = m.serial;
        d.name = m.fileName;
        d.headerName = MlinkPeer::hostileName(options_.hostileName, m.fileName);
        d.size = m.content.size();
        record_.downloads.push_back(d);
        activeDownload_ = static_cast<int>(record_.downloads.size()) - 1;
        mlink_.startSend(m.fileName, m.content, m.date, [this](const MlinkPeer::Result& r) {
            DownloadRecord& rec = record_.downloads[activeDownload_];
            rec.bytesSent = r.bytesSent;
            rec.complete = r.ok;
            activeDownload_ = -1;
            input_ = Input::Line;
            if (r.ok) {
                say(text::transferDone());
                askDeleteMail();
            } else {
                transferFailedThen(r, [this] { askDeleteMail(); });
            }
        });
    });
}

void Host::askDeleteMail() {
    ask(text::mailDeletePrompt(), [this](const std::string& answer) {
        std::string a = upperAscii(base::trim(answer));
        if (a == "Y") {
            const Mail& m = data_.mail[mailCursor_];
            record_.deletedMail.push_back(DeletedMail{m.serial, m.from, m.subject});
            data_.mail.erase(data_.mail.begin() + static_cast<long>(mailCursor_));
        } else if (a == "N") {
            ++mailCursor_;
        } else {
            askDeleteMail();
            return;
        }
        nextMail();
    });
}

void Host::transferFailedThen(const MlinkPeer::Result& r, std::function<void()> next) {
    // The terminal may still be waiting for a handshake byte; the report comes when it has
    // given up, so that it reads the report as text. After a cancel in place of a header,
    // it reads for a header line twice, ten seconds each, and would take the report for one.
    constexpr int kHeaderReadsMs = 2 * 10000 + 1000;
    later(
        r.cancelledBeforeHeader ? std::max(options_.mlinkFailTextDelayMs, kHeaderReadsMs)
                                : options_.mlinkFailTextDelayMs,
        [this, next] {
            say(text::transferFailed());
            next();
        },
        true);
}

void Host::halfway(const MlinkPeer::Result& r) {
    if (activeDownload_ >= 0)
        record_.downloads[activeDownload_].bytesSent = r.bytesSent;
    if (activeUpload_ >= 0) {
        UploadRecord& u = record_.uploads[activeUpload_];
        u.headerName = r.headerName;
        u.declaredSize = r.declaredSize;
        u.bytes = r.bytes;
    }
    dropLine();
}

// ---- the main prompt ------------------------------------------------------------------

void Host::mainMenu() {
    if (!live_)
        return;
    ++menus_;
    if (options_.freezeAtMenu > 0 && menus_ == options_.freezeAtMenu) {
        frozen_ = true;
        idle_.setEnabled(false);
        keepAlive_.setEnabled(options_.keepAliveMs > 0);
        return;
    }
    std::string prompt = text::mainPrompt(minutesLeft());
    if (options_.dropAt == HostOptions::DropPoint::Menu && menus_ == options_.dropAtMenu) {
        out_.text(prompt.substr(0, prompt.size() / 2));
        dropLine();
        return;
    }
    ask(prompt, [this](const std::string& cmd) { command(cmd); });
}

void Host::command(const std::string& raw) {
    std::string cmd = upperAscii(base::trim(raw));
    if (cmd.empty() || cmd == "0")
        mainMenu();
    else if (cmd == "N@")
        newMessages();
    else if (cmd == "FN")
        newFiles();
    else if (cmd == "R")
        askBoard();
    else if (cmd == "F")
        askFileBoard();
    else if (cmd == "U")
        members();
    else if (cmd == "I")
        info();
    else if (cmd == "ER")
        reply();
    else if (cmd == "EW")
        newMessage();
    else if (cmd == "EM")
        mail();
    else if (cmd == "EB")
        binaryMail();
    else if (cmd == "Q")
        logout();
    else if (cmd == "?" || cmd == "H")
        help();
    else {
        say(sj(u8"コマンドが違います。"));
        flushTypeAhead();
        mainMenu();
    }
}

void Host::help() {
    static const char8_t* const lines[] = {
        u8"N@ 新着メッセージ   FN 新着ファイル   R  ボードを読む   F  ファイルボード",
        u8"U  メンバー一覧     I  各種設定       ER レス          EW 新規書き込み",
        u8"EM メール           EB バイナリメール Q  ログアウト",
        u8"続けて入力するときは ; で区切ります (例: R;01;L;1;0;0)",
    };
    for (const char8_t* line : lines)
        say(sj(line));
    mainMenu();
}

void Host::info() {
    ask(text::infoPrompt(), [this](const std::string& answer) {
        std::string a = upperAscii(base::trim(answer));
        if (a.empty() || a == "0") {
            mainMenu();
            return;
        }
        if (a != "R") {
            say(sj(u8"コマンドが違います。"));
            flushTypeAhead();
            info();
            return;
        }
        say(text::currentUnreadDate(data_.user.unreadDate));
        ask(text::unreadDatePrompt(), [this](const std::string& date) {
            if (auto t = parseHostDateTime(date)) {
                data_.user.unreadDate = *t;
                record_.unreadDateSet = hostDateTime(*t);
                say(text::unreadDateLine(*t));
            } else {
                say(text::badDate());
            }
            info();
        });
    });
}

void Host::logout() {
    if (options_.dropAt == HostOptions::DropPoint::Logout) {
        dropLine();
        return;
    }
    ask(sj(u8"ログアウトしますか (RET:はい N:いいえ)>"), [this](const std::string& answer) {
        if (upperAscii(base::trim(answer)) == "N") {
            mainMenu();
            return;
        }
        int used = kSessionMinutes - minutesLeft();
        say(sj(u8"ご利用ありがとうございました。"));
        say(sj(u8"接続時間 ") + std::to_string(used) + sj(u8" 分"));
        logoutSoon();
    });
}

} // namespace sim
