#include "sim/HostText.h"

#include "base/Sjis.h"

#include <cstdio>

namespace sim::text {

using base::sj;

namespace {

std::string format(const char* fmt, int value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

std::string two(int n) {
    return format("%02d", n);
}

std::string four(int n) {
    return format("%04d", n);
}

std::string subjectText(const Article& a) {
    if (a.replyTo > 0)
        return "Re:" + four(a.replyTo) + ") " + a.subject;
    return a.subject;
}

} // namespace

std::string pad(const std::string& s, size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

std::string mainPrompt(int minutesLeft) {
    return "MAIN (" + sj(u8"残り") + std::to_string(minutesLeft) + sj(u8"分") + ")>";
}

std::string boardListHeading(bool fileBoards) {
    return fileBoards ? sj(u8"ファイルボード一覧") : sj(u8"メッセージボード一覧");
}

std::string boardListLine(int number, const std::string& name, const std::string& title) {
    return "00" + two(number) + ": " + pad(name, 8) + " " + title;
}

std::string restrictedLine(int fromHour, int toHour) {
    return sj(u8"現在は規制時間中です。(") + two(fromHour) + ":00-" + two(toHour) + ":00)";
}

std::string newMessagesSince(const base::LocalDateTime& t) {
    return sj(u8"未読日付 ") + hostDateTime(t) + sj(u8" からの新着メッセージです。");
}

std::string unreadDateLine(const base::LocalDateTime& t) {
    return sj(u8"日付が ") + hostDateTime(t) + sj(u8" 以降のものを読みます。");
}

std::string newMessagesHeading(const MessageBoard& b, int count) {
    return "00" + two(b.number) + ": " + b.name + sj(u8" の新着メッセージ ") +
           std::to_string(count) + sj(u8"件");
}

std::string noNewMessages() {
    return sj(u8"新しいメッセージはありません。");
}

std::string messageHeader(int number, const std::string& author, const std::string& handle) {
    std::string line = "Message  #" + four(number) + "   from: " + author;
    if (!handle.empty())
        line += " " + handle;
    return line;
}

std::string messageTime(const base::LocalDateTime& t, int section, const std::string& name) {
    return "Time: " + hostDateTime(t) + "  Section " + two(section) + ": " + name;
}

std::string messageTime(const Article& a, const MessageBoard& b) {
    return messageTime(a.date, b.number, b.name);
}

std::string messageSubject(const Article& a) {
    return "Subj: " + subjectText(a);
}

std::string newFilesHeading(const base::LocalDateTime& since) {
    return sj(u8"前回ログイン(") + hostDateTime(since) + sj(u8")以降の新着ファイル");
}

std::string newFilesBoardHeading(const FileBoard& b) {
    return "00" + two(b.number) + ": " + b.name + sj(u8" を検索中...");
}

std::string noNewFiles() {
    return sj(u8"新しいファイルはありません。");
}

std::string listHeading(bool fileBoard, int number, const std::string& name, int from) {
    return (fileBoard ? sj(u8"ファイルボード ") : sj(u8"ボード ")) + two(number) + " " + name +
           sj(u8" の一覧 (") + std::to_string(from) + sj(u8" 番から)");
}

std::string messageListLine(int number, const Article& a) {
    return four(number) + ": " + hostDate(a.date) + " " + base::longTime(a.date).substr(0, 5) +
           " " + pad(a.author, 8) + " " + subjectText(a);
}

std::string messageListLine(const Article& a) {
    return messageListLine(a.number, a);
}

std::string fileListLine(int number, const HostFile& f) {
    char size[16];
    std::snprintf(size, sizeof size, "%7zu", f.content.size());
    return format("%03d", number) + ": " + pad(f.name, 12) + " " + size + " " + hostDate(f.date) +
           " " + pad(f.uploader, 8) + " " + f.comment;
}

std::string fileListLine(const HostFile& f) {
    return fileListLine(f.number, f);
}

std::string noMessagesInRange() {
    return sj(u8"該当するメッセージはありません。");
}

std::string noFilesInRange() {
    return sj(u8"該当するファイルはありません。");
}

std::string memberPrompt() {
    return sj(u8"検索するID (RET:全員)>");
}

std::string memberHeading() {
    return sj(u8"登録メンバー一覧");
}

std::string memberColumns() {
    return sj(u8" No ID        ハンドル");
}

std::string memberRuler() {
    return std::string(42, '-');
}

std::string memberLine(int sequence, const Member& m) {
    return format("%3d", sequence) + " " + pad(m.id, 8) + "  " + m.handle;
}

std::string memberCount(int count) {
    return sj(u8"以上 ") + std::to_string(count) + sj(u8" 名");
}

std::string mailWaitingPrompt(int count) {
    return sj(u8"未読のメールが ") + std::to_string(count) + sj(u8" 通あります [RET]:読む>");
}

std::string mailFrom(const std::string& id, const std::string& handle) {
    std::string line = "Private Message is from: " + id;
    if (!handle.empty())
        line += " " + handle;
    return line;
}

std::string mailTime(const base::LocalDateTime& t) {
    return "Time: " + hostDateTime(t);
}

std::string mailSubject(const std::string& subject) {
    return "Subj: " + subject;
}

std::string mailAttachment(const std::string& name, size_t size) {
    return sj(u8"添付ファイル: ") + name + " (" + std::to_string(size) + " bytes)";
}

std::string binaryMailMenu() {
    return "BMAIL (M:MLINK" + sj(u8"で受信 0:受信しない)>");
}

std::string mailDeletePrompt() {
    return sj(u8"このメールを削除しますか (Y/N)>");
}

std::string infoPrompt() {
    return sj(u8"INFO (R:未読日付の変更 0:終了)>");
}

std::string currentUnreadDate(const base::LocalDateTime& t) {
    return sj(u8"現在の未読日付は ") + hostDateTime(t) + sj(u8" です。");
}

std::string unreadDatePrompt() {
    return sj(u8"新しい日付 (YY/MM/DD HH:MM:SS)>");
}

std::string badDate() {
    return sj(u8"日付の形式が違います。");
}

std::string writeDone() {
    return sj(u8"書き込み中　...終了しました。");
}

std::string writeRefused() {
    return sj(u8"そのボードには書き込めません。");
}

std::string transferStart() {
    return sj(u8"CTRL-X で中断します。");
}

std::string transferDone() {
    return sj(u8"転送終了しました。");
}

std::string transferFailed() {
    return sj(u8"ファイル転送に失敗しました。");
}

} // namespace sim::text
