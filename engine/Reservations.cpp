// The rules that carry out reservations: postings (replies, new messages, mail) with their
// body lines, list and message reads, downloads, uploads and binary mail.
#include "engine/VazevModel.h"

#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"

#include <algorithm>

namespace engine {

using base::contains;
using base::equals;
using base::sj;
using base::startsWith;

namespace {

constexpr const char8_t* kCtrlX = u8"CTRL-X で中断します。";

// The board or address of a header: between its first ":" and its first "#".
std::string boardOf(const std::string& h) {
    const int colon = base::pos(":", h);
    return base::copy(h, colon + 1, base::pos("#", h) - colon - 1);
}

// What follows the first "#", at most n bytes.
std::string afterHash(const std::string& h, int n) {
    return base::cutBytes(base::copyFrom(h, base::pos("#", h) + 1), n);
}

// An upload's title (between "#" and the first "|") and path (after that "|"). The "|" is
// looked for as a character, never as the second byte of a Japanese one.
std::string uploadTitle(const std::string& h) {
    const std::string rest = base::copyFrom(h, base::pos("#", h) + 1);
    const int bar = base::findDelimiter(rest, '|');
    return bar ? base::copy(rest, 1, bar - 1) : rest;
}
std::string uploadPath(const std::string& h) {
    const std::string rest = base::copyFrom(h, base::pos("#", h) + 1);
    const int bar = base::findDelimiter(rest, '|');
    return bar ? base::cutBytes(base::copyFrom(rest, bar + 1), 128) : std::string();
}

// The file name of a stored path: what follows its last "\", "/" or ":" (paths written
// here are Linux paths; those brought from elsewhere use "\" and a drive letter).
std::string fileNameOf(const std::string& path) {
    const int cut =
        std::max({base::findLastDelimiter(path, '\\'), base::findLastDelimiter(path, '/'),
                  base::findLastDelimiter(path, ':')});
    return base::copyFrom(path, cut + 1);
}

std::string transferPath(const std::string& item) {
    return startsWith(item, "BMAIL") ? afterHash(item, 128) : uploadPath(item);
}

} // namespace

// ---- Postings ----

// The posting header goes out as one type-ahead line whose fields the host splits at ";".
// A ";" inside a field would turn the rest of the line (and the body) into menu commands,
// so such a reservation is not posted: it stays, and the run goes on past its block.
bool VazevModel::refuseTypeAhead(const std::string& S, const std::string& board,
                                 const std::string& field) {
    if (board.find(';') == std::string::npos && field.find(';') == std::string::npos)
        return false;
    setStatus(sj(u8"予約の項目に ; があるため書き込みません．") + S);
    logError(status_);
    skipBlock();
    return true;
}

// Moves MacroPointer past the "//" that ends the block at MacroPointer.
void VazevModel::skipBlock() {
    while (macroPointer_ < MacroCount() && commands_[static_cast<size_t>(macroPointer_)] != "//")
        advance();
    if (macroPointer_ < MacroCount())
        advance();
}

void VazevModel::beginPosting(const std::string& S) {
    currentPosting_ = S;
    postingOpen_ = true;
    refusalReported_ = false;
    postingLine_ = writePointer_;
}

// "そのボードには書き込めません。" in any state of a posting, up to the menu prompt after it,
// is reported once; the posting goes on and, with no confirmation, the reservation stays.
void VazevModel::writeRefusalRule(const std::string& L) {
    if (!postingOpen_ || refusalReported_ || readPointer_ <= postingLine_ ||
        !contains(L, sj(u8"そのボードには書き込めません。")))
        return;
    refusalReported_ = true;
    errorLog_.add(">> " + status_);
    setStatus(sj(u8"書込み可能なボードではありません."));
    logError(status_);
}

void VazevModel::resRule(const std::string& S) {
    const std::string board = boardOf(S);
    const std::string number = afterHash(S, 5);
    if (refuseTypeAhead(S, board, number))
        return;
    beginPosting(S);
    sendCommand("ER;" + board + ";" + number + ";Y\r");
    writeStart_ = writePointer_;
    advance();
    stay("WRITE");
    setStatus(sj(u8"レスを書きこみ中  board :") + board + "  No. " + number);
}

void VazevModel::newwRule(const std::string& S) {
    const std::string board = boardOf(S);
    const std::string title = afterHash(S, 50);
    if (refuseTypeAhead(S, board, title))
        return;
    beginPosting(S);
    sendCommand("EW;" + board + ";" + title + ";Y\r");
    writeStart_ = writePointer_;
    advance();
    stay("WRITE");
    setStatus(sj(u8"新規書き込み中  board: ") + board + "  Title: " + title);
}

void VazevModel::mailRule(const std::string& S) {
    beginPosting(S);
    const std::string address = boardOf(S);
    sendCommand("EM\r" + address + "\r");
    stay("M2");
    setStatus(sj(u8"メール書き込み中  board: ") + address + "  Title: ");
}

void VazevModel::m2Rule(const std::string& K, const std::string& L) {
    // An address the host does not know brings the main prompt back instead of the title
    // prompt. Only a prompt received after "EM" was sent counts.
    if (readPointer_ > postingLine_ && startsWith(L, "MAIN") && base::endsInMenuMark(L)) {
        setStatus(sj(u8"メールの宛先が受け付けられませんでした．") + K);
        logError(status_);
        postingOpen_ = false;
        currentPosting_.clear();
        skipBlock();
        return;
    }
    if (!contains(L, "C:cancel 0:end)>")) {
        stay("M2");
        return;
    }
    if (contains(L, "G:group")) {
        sendCommand("0\r");
        setStatus(sj(u8"ホストの設定を同報と判定しました．メール書き込み中  board: ") + K +
                  "  Title: ");
    }
    sendCommand(afterHash(K, 50) + "\r" + "Y" + "\r");
    writeStart_ = writePointer_;
    advance();
    stay("WRITE");
}

// Body lines go out one per step, at most ten ahead of the host's echo.
void VazevModel::writeRule(const std::string& K) {
    if (!equals(K, "//")) {
        stay("WRITE");
        if (linesSent_ - (writePointer_ - writeStart_) < 10) {
            advance();
            send(K + "\r");
            ++linesSent_;
        }
        return;
    }
    sendCommand("//\rS\r");
    postedReservation_ = currentPosting_;
    linesSent_ = 0;
    stay("WAITMENU");
}

// ---- List and message reads: deleted as soon as they are asked for ----

void VazevModel::listReadRule(const std::string& S) {
    KillYoyaku(S);
    const std::string board = boardOf(S);
    const std::string number = afterHash(S, 5);
    std::string sent;
    std::string text;
    if (startsWith(S, "MLISTDOWN")) {
        sent = "R;" + board + ";L;" + number + ";0;0\r";
        text = sj(u8"メッセージボート：メッセージ一覧の読み取り中．") + "R;" + board + ";" +
               number + ";L" + "\r";
    } else if (startsWith(S, "FLISTDOWN")) {
        sent = "F;" + board + ";L;" + number + ";0;0\r";
        text = sj(u8"ファイルボード：登録ファイル一覧の読み取り中．") + "R;" + board + ";" +
               number + ";L" + "\r";
    } else {
        sent = "R;" + board + ";I;" + number + ";0;0;0\r";
        text = sj(u8"メッセージボート：メッセージの読み取り中．") + board + "/" + number;
    }
    // Like every reading command, the answer is awaited from the next line on, so the
    // prompt the command was typed at cannot be taken for the menu after its output.
    waitNextLine_ = true;
    noteTypedCommand(sent);
    sendCommand(sent);
    stay("WAITMENU");
    setStatus(text);
}

// ---- Downloads ----

void VazevModel::fdownRule(const std::string& S) {
    currentTransfer_ = S;
    const std::string board = boardOf(S);
    const std::string number = afterHash(S, 5);
    sendCommand("F;" + board + ";MD" + number + ";Y;0\r");
    stay("DOWNLOAD1");
    setStatus(sj(u8"ファイルボート：データのﾀﾞｳﾝﾛｰﾄﾞ中．") + board + number);
}

// A host that has no such file (or will not send it now) says so and shows a menu again
// instead of starting the transfer. That is a failed transfer: the reservation stays, the
// host is taken back to its main menu and the run goes on.
bool VazevModel::menuInsteadOfTransfer(const std::string& L, const std::string& what) {
    if (!((startsWith(L, "MAIN") || startsWith(L, "FILE ")) && base::endsInMenuMark(L)))
        return false;
    errorLog_.add(">> " + status_);
    setStatus(what + currentTransfer_);
    logError(status_);
    sendCommand("0;0\r");
    // The menu prompt moves the list on by one: from the item, or from the "//" that ends
    // an upload's comment lines.
    if (startsWith(currentTransfer_, "UPFILE") || startsWith(currentTransfer_, "BMAIL"))
        while (macroPointer_ < MacroCount() &&
               commands_[static_cast<size_t>(macroPointer_)] != "//")
            advance();
    stay("WAITMENU");
    return true;
}

void VazevModel::download1Rule(const std::string& L, const std::string& P) {
    if (menuInsteadOfTransfer(L, sj(u8"ホストがファイルを送りませんでした．予約は残します．")))
        return;
    if (equals(P, sj(kCtrlX))) {
        startDownload();
        stay("WAITTRAN");
    } else {
        stay("DOWNLOAD1");
    }
}

void VazevModel::startDownload() {
    if (transfer_) {
        transfer_->startDownload();
        return;
    }
    setStatus(sj(u8"[MLINK] ﾀﾞｳﾝﾛｰﾄﾞ :  タイムアウト"));
    logError(status_);
}

void VazevModel::startUpload(const std::string& path) {
    if (transfer_) {
        transfer_->startUpload(path);
        return;
    }
    setStatus(sj(u8"[MLINK] -ヘッダ送信- ｱｯﾌﾟﾛｰﾄﾞ : 時間切れ."));
    logError(status_);
}

// ---- Uploads and binary mail ----

void VazevModel::upfileRule(const std::string& S, const std::string& L) {
    if (!startsWith(S, "UPFILE2")) {
        currentTransfer_ = S;
        uploadSent_ = true;
        const std::string board = boardOf(S);
        sendCommand("F;" + board + ";MU;" + base::cutBytes(fileNameOf(uploadPath(S)), 12) + "\r");
        stay("UPFILE2");
        setStatus(sj(u8"バイナリファイル転送：ﾒｯｾｰｼﾞ送信中") + board + uploadTitle(S));
        return;
    }
    stay("UPFILE2");
    if (menuInsteadOfTransfer(L, sj(u8"ホストがファイルを受け取りませんでした．予約は残します．")))
        return;
    const std::string title = uploadTitle(currentTransfer_);
    if (contains(L, sj(u8"同名ファイルがあります。いいですか"))) {
        uploadSent_ = true;
        sendCommand("Y;" + title + ";Y\r");
        advance();
        stay("UPLOAD1");
    } else if (contains(L, sj(u8"コメント"))) {
        uploadSent_ = true;
        sendCommand(title + ";Y\r");
        advance();
        stay("UPLOAD1");
    }
}

// Comment lines go out one per received line (UploadSent is cleared at each CR).
void VazevModel::upload1Rule(const std::string& K) {
    stay("UPLOAD1");
    if (uploadSent_)
        return;
    uploadSent_ = true;
    if (!equals(K, "//")) {
        send(K + "\r");
        advance();
        return;
    }
    sendCommand(contains(currentTransfer_, "BMAIL") ? "//\rS\rM\r" : "//\rS\r");
    stay("UPLOAD2");
}

void VazevModel::upload2Rule(const std::string& L, const std::string& P) {
    if (menuInsteadOfTransfer(L, sj(u8"ホストがファイルを受け取りませんでした．予約は残します．")))
        return;
    if (!equals(P, sj(kCtrlX))) {
        stay("UPLOAD2");
        return;
    }
    const bool bmail = startsWith(currentTransfer_, "BMAIL");
    const std::string path = transferPath(currentTransfer_);
    const std::string title = bmail ? std::string("BMAIL") : uploadTitle(currentTransfer_);
    setStatus(sj(u8"バイナリデータをｱｯﾌﾟﾛｰﾄﾞ中") + boardOf(currentTransfer_) + title + path);
    stay("WAITTRAN");
    startUpload(path);
}

void VazevModel::bmailRule(const std::string& S) {
    currentTransfer_ = S;
    uploadSent_ = true;
    advance();
    const std::string address = boardOf(S);
    sendCommand("EB;" + address + "\r");
    stay("BM2");
    setStatus(sj(u8"メール：ﾒｯｾｰｼﾞ送信中") + address + transferPath(S));
}

void VazevModel::bm2Rule(const std::string& L) {
    if (menuInsteadOfTransfer(L, sj(u8"ホストがファイルを受け取りませんでした．予約は残します．")))
        return;
    if (!contains(L, ":end")) {
        stay("BM2");
        return;
    }
    const std::string path = transferPath(currentTransfer_);
    uploadSent_ = true;
    if (!contains(L, sj(u8"同報"))) {
        sendCommand(fileNameOf(path) + "\r" + "Y;Y\r");
    } else {
        sendCommand("0\r" + fileNameOf(path) + "\r" + "Y;Y\r");
        setStatus(sj(u8"ホストの設定を同報と判定しました．メール書き込み中") +
                  boardOf(currentTransfer_) + path);
    }
    stay("UPLOAD1");
}

// The host's word on a transfer: done (the reservation goes), or failed or back at a menu
// (it stays for the next run). Only one answer is sent for one step.
void VazevModel::waitTranRule(const std::string& L, const std::string& P) {
    stay("WAITTRAN");
    if (contains(L, sj(u8"転送終了")) || contains(P, sj(u8"転送終了"))) {
        sendCommand("0;0\r");
        KillYoyaku(currentTransfer_);
        stay("WAITMENU");
    } else if (contains(L, sj(u8"失敗")) || startsWith(L, "MAIN") || startsWith(L, "FILE ")) {
        sendCommand("0;0\r");
        stay("WAITMENU");
    }
}

} // namespace engine
