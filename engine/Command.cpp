// The state machine's step, the order in which its rules are tried, and the rules of the
// modem phase, the menu, the login, the reading commands and the log-out.
#include "engine/VazevModel.h"

#include "base/Sjis.h"
#include "base/Text.h"
#include "macro/ReserveList.h"

namespace engine {

using base::contains;
using base::endsInMenuMark;
using base::equals;
using base::sj;
using base::startsWith;

// A line the host began before the last command was sent cannot be its answer: a prompt
// still on the screen (or still arriving on a slow line) would otherwise take a command's
// place in the list. Such lines are looked at as empty lines.
void VazevModel::Command() {
    const std::string L = readPointer_ >= answerLine_ ? line(readPointer_) : std::string();
    const std::string P = readPointer_ - 1 >= answerLine_ ? line(readPointer_ - 1) : std::string();
    // After the log-out a serial server or a modem that keeps carrier detect up never drops
    // the carrier; the modem's own word for the host's hang-up ends the call instead.
    if (quitSent_ && connected_ && startsWith(L, "NO CARRIER")) {
        Comm1CommEvent(false);
        return;
    }
    if (macroPointer_ < MacroCount() && !waitNextLine_ && receiveMode_ == 0 && !aborting_) {
        const std::string K = commands_[static_cast<size_t>(macroPointer_)];
        const std::string S = stateOverride_ != "*" ? stateOverride_ : K;
        if (view_)
            view_->stateLabel(S);
        stateOverride_ = "*";
        if (applyRules(S, K, L, P) == StepEnd::Stop)
            return;
    }
    if (readPointer_ < writePointer_) {
        ++readPointer_;
        waitNextLine_ = false;
    }
}

// The rules in their fixed order; each is tried against the same state S, and a later
// rule may change what an earlier one decided. The menu state excludes every other rule.
// The log-in and log-out rules match any state that contains their word, but never a
// reservation's header line, whose board, address or title is the user's text: a new
// message titled "QUIT" must not log out.
VazevModel::StepEnd VazevModel::applyRules(const std::string& S, const std::string& K,
                                           const std::string& L, const std::string& P) {
    writeRefusalRule(line(readPointer_));
    if (startsWith(S, "WAITMENU")) {
        menuRule(L);
        return StepEnd::Continue;
    }
    const bool reservation = macro::kindOf(S) != macro::BlockKind::None;
    if (base::copy(S, 1, 11) == "WAITCONNECT" && waitConnectRule(S, L) == StepEnd::Stop)
        return StepEnd::Stop;
    if (equals(S, "WAITOK") && waitOkRule(L) == StepEnd::Stop)
        return StepEnd::Stop;
    if (startsWith(S, "WAITRET"))
        waitRetRule(S, L);
    if (equals(S, "SETKTBBS"))
        setKtbbsRule();
    if (equals(S, "NEWMESSAGE") || equals(S, "NEWFILE") || equals(S, "MBOARD") ||
        startsWith(S, "MIDOKU") || equals(S, "FBOARD") || equals(S, "MEMBOR"))
        readingRule(S);
    if (contains(S, "LOGIN") && !reservation)
        loginRule(S, L, P);
    if (startsWith(S, "RES"))
        resRule(S);
    if (startsWith(S, "MLISTDOWN") || startsWith(S, "FLISTDOWN") || startsWith(S, "MDOWN"))
        listReadRule(S);
    if (startsWith(S, "FDOWN"))
        fdownRule(S);
    if (equals(S, "DOWNLOAD1"))
        download1Rule(L, P);
    if (startsWith(S, "UPFILE"))
        upfileRule(S, L);
    if (equals(S, "UPLOAD1"))
        upload1Rule(K);
    if (equals(S, "UPLOAD2"))
        upload2Rule(L, P);
    if (startsWith(S, "BMAIL"))
        bmailRule(S);
    if (startsWith(S, "BM2"))
        bm2Rule(L);
    if (equals(S, "WAITTRAN"))
        waitTranRule(L, P);
    if (startsWith(S, "NEWW"))
        newwRule(S);
    if (startsWith(S, "MAIL"))
        mailRule(S);
    if (startsWith(S, "M2"))
        m2Rule(K, L);
    if (equals(S, "WRITE"))
        writeRule(K);
    if (base::copy(S, 1, 4) == "DIAL")
        dialRule();
    if (contains(S, "QUIT") && !reservation)
        quitRule();
    return StepEnd::Continue;
}

void VazevModel::menuRule(const std::string& L) {
    if (contains(L, sj(u8"書き込み中　...終了しました")) && !postedReservation_.empty()) {
        deletePostedBlock();
        postedReservation_.clear();
    }
    if (startsWith(L, "MAIN") && endsInMenuMark(L)) {
        // A posting that the menu prompt after it did not find confirmed was not saved: it
        // stays in the list, and no later line can delete it.
        postedReservation_.clear();
        postingOpen_ = false;
        advance();
        idleTicks_ = 0;
    } else {
        stay("WAITMENU");
    }
}

void VazevModel::deletePostedBlock() {
    macro::ReserveList& list = macro_.reserve();
    int i = list.findBlock(postedReservation_);
    if (i >= 0) {
        list.removeBlockAt(i);
        saveReservations();
    }
}

// What the host confirmed is saved at once, so that a crash, a kill or a power cut later
// in the run cannot bring it back for the next run.
void VazevModel::saveReservations() {
    if (!running_ || macro_.saveNetMac())
        return;
    resultsSaved_ = false;
    setStatus(sj(u8"NET.MAC を書き込めませんでした．実行済みの予約が次回また実行されます．"));
    logError(status_);
}

void VazevModel::sendCommand(std::string_view bytes) {
    send(bytes);
    answerLine_ =
        lines_[static_cast<size_t>(writePointer_)].empty() ? writePointer_ : writePointer_ + 1;
}

void VazevModel::KillYoyaku(const std::string& item) {
    macro::ReserveList& list = macro_.reserve();
    int i = list.findBlock(item);
    if (i < 0) {
        setStatus(item);
        errorLog_.add(">> " + status_);
        setStatus(sj(u8"内蔵マクロ内部エラー：予約削除不可"));
        beep();
        beep();
        logError(status_);
        return;
    }
    list.removeBlockAt(i);
    saveReservations();
}

// ---- Modem phase ----

VazevModel::StepEnd VazevModel::waitConnectRule(const std::string& S, const std::string& L) {
    const int W = modem().redialWait;
    if (contains(L, "CONNECT")) {
        advance();
        connected_ = true;
        return StepEnd::Continue;
    }
    if (idleTicks_ > 2 * W + 120) {
        setStatus(sj(u8"[接続] ﾓﾃﾞﾑからの応答がありません．"));
        logError(status_);
        setOutcome(RunOutcome::TimedOut);
        COMABORT();
        return StepEnd::Stop;
    }
    if (contains(L, "BUSY") || equals(S, "WAITCONNECT_WAIT_REDIAL")) {
        if (idleTicks_ > 2 * W)
            --macroPointer_;
        else
            stay("WAITCONNECT_WAIT_REDIAL");
    } else {
        stay("WAITCONNECT");
    }
    return StepEnd::Continue;
}

VazevModel::StepEnd VazevModel::waitOkRule(const std::string& L) {
    if (startsWith(L, "OK")) {
        advance();
        return StepEnd::Continue;
    }
    if (idleTicks_ > 15) {
        setStatus(sj(u8"[初期化]ﾓﾃﾞﾑからの応答がありません．"));
        logError(status_);
        setOutcome(RunOutcome::TimedOut);
        COMABORT();
        return StepEnd::Stop;
    }
    stay("WAITOK");
    return StepEnd::Continue;
}

// A line with no modem (a network connection) has nothing to initialise.
void VazevModel::setKtbbsRule() {
    if (port_.networkLine()) {
        advance();
        return;
    }
    const std::string& init = modem().initCommand;
    sendCommand(init + "\r\n");
    if (!init.empty())
        stay("WAITOK");
    else
        advance();
}

void VazevModel::dialRule() {
    const std::string tel = netField(shell::kTelNo);
    setStatus(netField(shell::kNetName) + "<" + tel + sj(u8">に接続中"));
    if (tel == "999" || port_.networkLine()) {
        advance();
        setStatus(sj(u8"ダイレクト接続しました."));
        // A network connection has a carrier (the connection itself): its loss ends the
        // run like a modem's.
        connected_ = port_.networkLine();
        return;
    }
    std::string dial = modem().dialPrefix + tel;
    if (modem().appendDigit)
        dial += static_cast<char>('0' + (randomDigit_() % 10 + 10) % 10);
    sendCommand(dial + "\r\n");
    stay("WAITCONNECT");
}

// ---- Prompt wait ----

void VazevModel::waitRetRule(const std::string& S, const std::string& L) {
    const int colon = base::pos(":", S);
    const int hash = base::pos("#", S);
    const std::string prompt = base::copy(S, colon + 1, hash - colon - 1);
    if (startsWith(L, prompt))
        stay(base::copy(S, hash + 1, 80));
    else
        stay(S);
}

// ---- Reading and list commands ----

void VazevModel::readingRule(const std::string& S) {
    struct Reading {
        const char* state;
        const char* sent;
        const char8_t* statusText;
    };
    static const Reading table[] = {
        {"NEWMESSAGE", "N@\r", u8"新規発言読み取り中."},
        {"NEWFILE", "FN\r\r", u8"新規登録ファイル一覧読み取り中."},
        {"MBOARD", "r;?;0\r", u8"メッセージボード一覧の読み取り中."},
        {"MIDOKU", "i;r\r", u8"未読日時の変更中．"},
        {"FBOARD", "f;?;0\r", u8"ファイルボード一覧の読み取り中."},
        {"MEMBOR", "U\r\r", u8"メンバーＩＤ一覧の読み取り中."},
    };
    for (const Reading& r : table) {
        const bool midoku = std::string_view(r.state) == "MIDOKU";
        if (midoku ? !startsWith(S, r.state) : !equals(S, r.state))
            continue;
        waitNextLine_ = true;
        std::string sent = r.sent;
        if (midoku) {
            sent += base::copy(S, base::pos(":", S) + 1, 80) + "\r0\r";
            macro_.setChecked(macro::Step::MIDOKU, false);
        }
        noteTypedCommand(sent);
        sendCommand(sent);
        stay("WAITMENU");
        setStatus(sj(r.statusText));
        if (equals(S, "MEMBOR"))
            idleTicks_ = 0;
        return;
    }
}

// ---- Log-in and mail at log-in ----

void VazevModel::loginRule(const std::string& S, const std::string& L, const std::string& P) {
    if (startsWith(L, "MAIN") && !equals(S, "LOGIN3")) {
        stay("WAITMENU");
        setStatus(sj(u8"IDまたはﾊﾟｽﾜｰﾄﾞが送信されずにログインしました"));
        errorLog_.add(base::ErrorLog::stampedTight(loop_.localNow(), status_));
        return;
    }
    // Each state's rows in order; a later row that applies decides the next state.
    std::string next = stateOverride_;
    if (equals(S, "LOGIN2")) {
        next = "LOGIN2";
        if (startsWith(L, "Password =")) {
            setStatus(sj(u8"ﾊﾟｽﾜｰﾄﾞの送信中."));
            sendCommand(netField(shell::kPassword) + "\r");
            next = "LOGIN3";
        }
    }
    if (equals(S, "LOGIN")) {
        next = "LOGIN";
        if (startsWith(L, "User ID  =")) {
            setStatus(sj(u8"IDの送信中."));
            sendCommand(netField(shell::kUserID) + "\r");
            next = "LOGIN2";
        }
    }
    if (equals(S, "LOGIN3")) {
        next = "LOGIN3";
        if (startsWith(L, "MAIN") && endsInMenuMark(L)) {
            setStatus(sj(u8"ログインしました.") + stampNow());
            advance();
            next = "*";
        }
        if (contains(L, "[RET]:") && endsInMenuMark(L)) {
            setStatus(sj(u8"メール受信中."));
            sendCommand("\r");
            mailDeleteReply_ = "Y";
            next = "LOGIN_MAIL";
        }
    }
    if (equals(S, "LOGIN_MAIL")) {
        next = "LOGIN_MAIL";
        if (startsWith(L, "BMAIL (") && endsInMenuMark(L)) {
            setStatus(sj(u8"バイナリメール受信中."));
            sendCommand("M\r");
            next = "LOGIN_MAIL_B";
        }
        if (contains(L, sj(u8"削除しますか"))) {
            waitNextLine_ = true;
            sendCommand(mailDeleteReply_ + "\r");
            mailDeleteReply_ = "Y";
            next = "LOGIN3";
        }
    }
    if (equals(S, "LOGIN_MAIL_B")) {
        next = "LOGIN_MAIL_B";
        if (equals(P, sj(u8"CTRL-X で中断します。"))) {
            mailDeleteReply_ = "N";
            startDownload();
            next = "LOGIN_MAIL_C";
        }
    }
    if (equals(S, "LOGIN_MAIL_C")) {
        next = "LOGIN_MAIL_C";
        if (contains(L, sj(u8"失敗"))) {
            setStatus(sj(u8"バイナリメール受信に失敗しました."));
            next = "LOGIN_MAIL";
        }
        if (contains(L, sj(u8"転送終了")) || contains(P, sj(u8"転送終了"))) {
            setStatus(sj(u8"バイナリメール受信に成功しました."));
            mailDeleteReply_ = "Y";
            next = "LOGIN_MAIL";
        }
    }
    stateOverride_ = next;
}

// ---- Log-out ----

void VazevModel::quitRule() {
    sendCommand("Q\r\r");
    quitSent_ = true;
    setStatus(sj(u8"回線切断待機中."));
    advance();
    if (connected_)
        return;
    // A direct line has no carrier to drop: the host's goodbye is awaited until the line
    // has been quiet a while, so that it reaches the capture.
    hangUpPhase_ = HangUp::DirectQuiet;
    hangUpTimer_.setEnabled(false);
    hangUpTimer_.setInterval(kDirectQuietMs);
    hangUpTimer_.setEnabled(true);
}

} // namespace engine
