#pragma once
// Every line the simulated host prints, in one place, so the dialogues (sim/Host*.cpp) and
// anyone reading the host's output agree on the shapes. Lines go out with CR LF; prompts go
// out without a line end and the typed answer is echoed after them. Positions are 1-based
// bytes of Shift-JIS text; nn is a two-digit board number, yy/mm/dd hh:mm:ss a date.
//
// Main prompt: "MAIN (残り" + minutes + "分)>", so it starts with "MAIN", ends with ")>" and
// holds no other ">"; the command is echoed after it ("MAIN (残り59分)>N@").
//
// Board lists, answering "r;?;0" (message boards) and "f;?;0" (file boards):
//   "メッセージボード一覧" / "ファイルボード一覧"          heading
//   "00nn: " + name padded to 8 bytes + " " + title        one per board, in number order
// then the main prompt. The board's name is the text after ": " up to the first blank.
// During restricted hours the file-board list is the single line
//   "現在は規制時間中です。(hh:00-hh:00)"
//
// New messages, answering "N@":
//   "日付が yy/mm/dd hh:mm:ss 以降のものを読みます。"     the date sits at bytes 8-24
//   per board with new articles: "00nn: " + name + " の新着メッセージ " + count + "件"
//   per article, the message block:
//     "Message  #" + number as 4 digits + "   from: " + user ID + " " + handle
//         (bytes 11-14 the number, the author field from byte 24)
//     "Time: yy/mm/dd hh:mm:ss  Section nn: " + board name (date at 7-14, date-time 7-23)
//     "Subj: " + subject, or for a reply "Subj: Re:" + 4-digit number + ") " + subject
//         (so ")" stands at byte 14)
//     the body lines
//   nothing follows the last body line but the main prompt. With no new article the read
//   is the date line and "新しいメッセージはありません。". A one-message read
//   ("R;board;I;number;...") prints the same message block.
//
// New files, answering "FN": one heading line ("前回ログイン(yy/mm/dd hh:mm:ss)以降の新着
// ファイル"), then per file board with new files "00nn: " + name + " を検索中..." followed
// by its file-list lines; then the main prompt (the terminal's second CR gives another,
// empty, main prompt). With nothing new the heading is followed by
// "新しいファイルはありません。".
//
// Message list, answering "R;board;L;from;...": one heading line
// ("ボード nn " + name + " の一覧 (" + from + " 番から)"), then per article
//   4-digit number + ": " + "yy/mm/dd hh:mm " + author padded to 8 + " " + subject
//       (replies: "Re:" + 4-digit number + ") " + subject)
// then the main prompt. File list, answering "F;board;L;from;...": the same heading
// ("ファイルボード nn ..."), then per file
//   3-digit number + ": " + name padded to 12 + " " + size in 7 places + " " + yy/mm/dd +
//   " " + uploader padded to 8 + " " + comment
// then the main prompt. An empty range prints "該当するメッセージはありません。" or
// "該当するファイルはありません。" instead of entries.
//
// Member list, answering "U" and a CR: "検索するID (RET:全員)>" (the CR is echoed), then
//   "登録メンバー一覧"
//   " No ID        ハンドル"
//   "------------------------------------------"
//   per member: sequence in 3 places + " " + ID padded to 8 + "  " + handle
//       (so after dropping the first four bytes the ID is at 1-8 and the handle at 11)
//   ""                                                    an empty line ends the list
//   "以上 " + count + " 名"
// then the main prompt.
//
// Mail at login, per waiting mail: the prompt "未読のメールが " + count + " 通あります
// [RET]:読む>"; after the CR
//   "Private Message is from: " + user ID + " " + handle
//   "Time: yy/mm/dd hh:mm:ss"
//   "Subj: " + subject
//   the body lines
//   binary mail only: "添付ファイル: " + name + " (" + size + " bytes)" and the menu
//   "BMAIL (M:MLINKで受信 0:受信しない)>"; "M" gives "CTRL-X で中断します。", the MLINK
//   send, then "転送終了しました。" or "ファイル転送に失敗しました。"
//   "このメールを削除しますか (Y/N)>"
// and after the last mail the main prompt.
//
// Unread date, answering "i;r", a date and "0": "INFO (R:未読日付の変更 0:終了)>" prompts,
// "現在の未読日付は yy/mm/dd hh:mm:ss です。", "新しい日付 (YY/MM/DD HH:MM:SS)>", and for a
// valid date "日付が yy/mm/dd hh:mm:ss 以降のものを読みます。" (else "日付の形式が違います。").
//
// Postings end with "書き込み中　...終了しました。" (a full-width space after 中); a board
// that refuses writing says "そのボードには書き込めません。" once, when the posting starts;
// the save then ends it without a word. Transfers announce "CTRL-X で中断します。" and end with
// "転送終了しました。" or "ファイル転送に失敗しました。".
#include "sim/DataSet.h"

#include <string>

namespace sim::text {

std::string mainPrompt(int minutesLeft);
std::string boardListHeading(bool fileBoards);
std::string boardListLine(int number, const std::string& name, const std::string& title);
std::string restrictedLine(int fromHour, int toHour);

std::string unreadDateLine(const base::LocalDateTime& t);
// The new-message read's first line. It names the unread date without the words of the
// unread-date command's answer, which the terminal stores as the date the host now uses.
std::string newMessagesSince(const base::LocalDateTime& t);
std::string newMessagesHeading(const MessageBoard& b, int count);
std::string noNewMessages();
std::string messageHeader(int number, const std::string& author, const std::string& handle);
std::string messageTime(const Article& a, const MessageBoard& b);
std::string messageTime(const base::LocalDateTime& t, int section, const std::string& name);
std::string messageSubject(const Article& a);

std::string newFilesHeading(const base::LocalDateTime& since);
std::string newFilesBoardHeading(const FileBoard& b);
std::string noNewFiles();

std::string listHeading(bool fileBoard, int number, const std::string& name, int from);
std::string messageListLine(const Article& a);
std::string messageListLine(int number, const Article& a);
std::string fileListLine(const HostFile& f);
std::string fileListLine(int number, const HostFile& f);
std::string noMessagesInRange();
std::string noFilesInRange();

std::string memberPrompt();
std::string memberHeading();
std::string memberColumns();
std::string memberRuler();
std::string memberLine(int sequence, const Member& m);
std::string memberCount(int count);

std::string mailWaitingPrompt(int count);
std::string mailFrom(const std::string& id, const std::string& handle);
std::string mailTime(const base::LocalDateTime& t);
std::string mailSubject(const std::string& subject);
std::string mailAttachment(const std::string& name, size_t size);
std::string binaryMailMenu();
std::string mailDeletePrompt();

std::string infoPrompt();
std::string currentUnreadDate(const base::LocalDateTime& t);
std::string unreadDatePrompt();
std::string badDate();

std::string writeDone();
std::string writeRefused();
std::string transferStart();
std::string transferDone();
std::string transferFailed();

// Pads with blanks to `width` bytes; longer text is kept whole.
std::string pad(const std::string& s, size_t width);

} // namespace sim::text
