// The host's reading commands: new messages, new files, the board menus with their lists
// and one-message reads, file downloads, the board lists and the member list.
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/Host.h"
#include "sim/HostText.h"

#include <cstdio>

namespace sim {

using base::sj;

namespace {

std::string two(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

bool isEnd(const std::string& answer) {
    std::string a = base::trim(answer);
    return a.empty() || a == "0";
}

} // namespace

void Host::printArticle(const MessageBoard& b, const Article& a) {
    sayHeader(text::messageHeader(a.number, a.author, data_.handleOf(a.author)));
    say(text::messageTime(a, b));
    say(text::messageSubject(a));
    for (const std::string& line : a.body)
        say(line);
}

void Host::newMessages() {
    say(text::newMessagesSince(data_.user.unreadDate));
    int total = 0;
    for (const MessageBoard& b : data_.boards) {
        std::vector<const Article*> fresh;
        for (const Article& a : b.articles)
            if (!earlier(a.date, data_.user.unreadDate))
                fresh.push_back(&a);
        if (fresh.empty())
            continue;
        sayHeading(text::newMessagesHeading(b, static_cast<int>(fresh.size())));
        for (const Article* a : fresh)
            printArticle(b, *a);
        total += static_cast<int>(fresh.size());
    }
    if (total == 0)
        say(text::noNewMessages());
    flood("N@");
    data_.user.unreadDate = loop_.localNow();
    mainMenu();
}

void Host::newFiles() {
    sayHeading(text::newFilesHeading(previousLogin_));
    bool any = false;
    for (const FileBoard& b : data_.fileBoards) {
        bool heading = false;
        for (const HostFile& f : b.files) {
            if (earlier(f.date, previousLogin_))
                continue;
            if (!heading)
                sayHeading(text::newFilesBoardHeading(b));
            heading = any = true;
            say(text::fileListLine(f));
        }
    }
    if (!any)
        say(text::noNewFiles());
    listTail("FN");
    mainMenu();
}

void Host::printBoardList(bool fileBoards) {
    sayHeading(text::boardListHeading(fileBoards));
    if (fileBoards) {
        for (const FileBoard& b : data_.fileBoards)
            say(text::boardListLine(b.number, b.name, b.title));
    } else {
        for (const MessageBoard& b : data_.boards)
            say(text::boardListLine(b.number, b.name, b.title));
    }
}

// ---- message boards -------------------------------------------------------------------

void Host::askBoard() {
    ask(sj(u8"ボード番号 (?:一覧 0:終了)>"), [this](const std::string& ref) {
        if (isEnd(ref)) {
            mainMenu();
        } else if (base::trim(ref) == "?") {
            printBoardList(false);
            askBoard();
        } else if (MessageBoard* b = data_.board(ref)) {
            boardMenu(*b);
        } else {
            say(sj(u8"そのボードはありません。"));
            flushTypeAhead();
            askBoard();
        }
    });
}

void Host::boardMenu(MessageBoard& b) {
    std::string prompt =
        "READ " + two(b.number) + " " + b.name + sj(u8" (L:一覧 I:番号指定 0:終了)>");
    ask(prompt, [this, &b](const std::string& answer) {
        std::string a = upperAscii(base::trim(answer));
        if (isEnd(a)) {
            askBoard();
        } else if (a == "L") {
            ask(sj(u8"開始番号>"), [this, &b](const std::string& from) {
                int first = std::max(1, base::strToIntDef(base::trim(from), 1));
                sayHeading(text::listHeading(false, b.number, b.name, first));
                bool any = false;
                for (const Article& art : b.articles) {
                    if (art.number < first)
                        continue;
                    say(text::messageListLine(art));
                    any = true;
                }
                if (!any)
                    say(text::noMessagesInRange());
                listTail("R;L");
                boardMenu(b);
            });
        } else if (a == "I") {
            ask(sj(u8"番号>"), [this, &b](const std::string& number) {
                readArticle(b, base::strToIntDef(base::trim(number), 0));
            });
        } else {
            say(sj(u8"コマンドが違います。"));
            flushTypeAhead();
            boardMenu(b);
        }
    });
}

void Host::readArticle(MessageBoard& b, int number) {
    const Article* a = b.find(number);
    if (!a) {
        // What was typed ahead still leads back out of the board.
        say(sj(u8"その番号のメッセージはありません。"));
        boardMenu(b);
        return;
    }
    printArticle(b, *a);
    ask(sj(u8"次 (RET:次 0:終了)>"), [this, &b, number](const std::string& answer) {
        if (base::trim(answer) == "0") {
            boardMenu(b);
            return;
        }
        for (const Article& next : b.articles) {
            if (next.number > number) {
                readArticle(b, next.number);
                return;
            }
        }
        say(sj(u8"最後のメッセージです。"));
        boardMenu(b);
    });
}

// ---- file boards ----------------------------------------------------------------------

void Host::askFileBoard() {
    ask(sj(u8"ファイルボード番号 (?:一覧 0:終了)>"), [this](const std::string& ref) {
        if (isEnd(ref)) {
            mainMenu();
        } else if (base::trim(ref) == "?") {
            int hour = loop_.localNow().hour;
            if (options_.alwaysRestricted || data_.restrictedAt(hour)) {
                bool hours = data_.restrictFromHour >= 0 && data_.restrictToHour >= 0;
                say(text::restrictedLine(hours ? data_.restrictFromHour : 0,
                                         hours ? data_.restrictToHour : 24));
            } else {
                printBoardList(true);
            }
            askFileBoard();
        } else if (FileBoard* b = data_.fileBoard(ref)) {
            fileBoardRef_ = base::trim(ref);
            fileMenu(*b);
        } else {
            say(sj(u8"そのボードはありません。"));
            flushTypeAhead();
            askFileBoard();
        }
    });
}

void Host::fileMenu(FileBoard& b) {
    std::string prompt = "FILE " + two(b.number) + " " + b.name +
                         sj(u8" (L:一覧 MD:ダウンロード MU:アップロード 0:終了)>");
    ask(prompt, [this, &b](const std::string& answer) {
        std::string a = upperAscii(base::trim(answer));
        if (isEnd(a)) {
            askFileBoard();
        } else if (a == "L") {
            ask(sj(u8"開始番号>"), [this, &b](const std::string& from) {
                int first = std::max(1, base::strToIntDef(base::trim(from), 1));
                sayHeading(text::listHeading(true, b.number, b.name, first));
                bool any = false;
                for (const HostFile& f : b.files) {
                    if (f.number < first)
                        continue;
                    say(text::fileListLine(f));
                    any = true;
                }
                if (!any)
                    say(text::noFilesInRange());
                listTail("F;L");
                fileMenu(b);
            });
        } else if (a.rfind("MD", 0) == 0) {
            std::string number = a.substr(2);
            if (!number.empty()) {
                download(b, base::strToIntDef(number, 0));
                return;
            }
            ask(sj(u8"番号>"), [this, &b](const std::string& n) {
                download(b, base::strToIntDef(base::trim(n), 0));
            });
        } else if (a == "MU") {
            upload(b);
        } else {
            say(sj(u8"コマンドが違います。"));
            flushTypeAhead();
            fileMenu(b);
        }
    });
}

void Host::download(FileBoard& b, int number) {
    const HostFile* f = b.find(number);
    if (!f) {
        say(sj(u8"その番号のファイルはありません。"));
        flushTypeAhead();
        fileMenu(b);
        return;
    }
    say(sj(u8"ファイル名: ") + f->name + "  (" + std::to_string(f->content.size()) + " bytes)");
    ask(sj(u8"ダウンロードしますか (Y/N)>"), [this, &b, number](const std::string& yn) {
        if (upperAscii(base::trim(yn)) != "Y") {
            fileMenu(b);
            return;
        }
        ask(sj(u8"転送後に切断しますか (1:切断 0:しない)>"),
            [this, &b, number](const std::string& a) {
                bool bye = base::trim(a) == "1";
                const HostFile* f = b.find(number);
                say(text::transferStart());
                flushTypeAhead();
                input_ = Input::Mlink;
                DownloadRecord d;
                d.board = b.number;
                d.number = number;
                d.name = f->name;
                d.headerName = MlinkPeer::hostileName(options_.hostileName, f->name);
                d.size = f->content.size();
                record_.downloads.push_back(d);
                activeDownload_ = static_cast<int>(record_.downloads.size()) - 1;
                mlink_.startSend(f->name, f->content, f->date,
                                 [this, &b, bye](const MlinkPeer::Result& r) {
                                     DownloadRecord& rec = record_.downloads[activeDownload_];
                                     rec.bytesSent = r.bytesSent;
                                     rec.complete = r.ok;
                                     activeDownload_ = -1;
                                     input_ = Input::Line;
                                     if (!r.ok) {
                                         transferFailedThen(r, [this, &b] { fileMenu(b); });
                                         return;
                                     }
                                     say(text::transferDone());
                                     if (bye) {
                                         say(sj(u8"ご利用ありがとうございました。"));
                                         logoutSoon();
                                     } else {
                                         fileMenu(b);
                                     }
                                 });
            });
    });
}

// ---- members --------------------------------------------------------------------------

void Host::members() {
    ask(text::memberPrompt(), [this](const std::string& prefix) {
        std::string key = upperAscii(base::trim(prefix));
        sayHeading(text::memberHeading());
        say(text::memberColumns());
        say(text::memberRuler());
        int shown = 0;
        for (const Member& m : data_.members)
            if (key.empty() || upperAscii(m.id).rfind(key, 0) == 0)
                say(text::memberLine(++shown, m));
        flood("U");
        say("");
        say(text::memberCount(shown));
        chatNotice();
        mainMenu();
    });
}

// ---- output beyond any table ------------------------------------------------------------

// The end of a list answer: the flood lines when asked for, then a chat notice, which a
// host may print at any moment and which ends a list for the terminal's import.
void Host::listTail(const char* where) {
    flood(where);
    chatNotice();
}

void Host::chatNotice() {
    if (options_.chatNotices)
        say(sj(u8"*CH01 FLOOD さんがチャットに入りました。"));
}

void Host::flood(const char* where) {
    const int n = options_.floodLines;
    if (n <= 0)
        return;
    std::string w = where;
    base::LocalDateTime now = loop_.localNow();
    char buf[64];
    if (w == "N@") {
        // Boards no two-digit number holds, an article number past 9999, a line of
        // 100,000 bytes, then filler lines.
        for (int section : {100, 250}) {
            sayHeader(text::messageHeader(12345, "FLOOD", ""));
            say("Time: " + hostDateTime(now) + "  Section " + std::to_string(section) + ": FLOOD");
            say("Subj: flood");
        }
        say(std::string(100000, 'X'));
        for (int i = 1; i <= n; ++i) {
            std::snprintf(buf, sizeof buf, "FLOOD %07d", i);
            say(buf);
        }
    } else if (w == "R;L" || w == "F;L" || w == "FN") {
        bool files = w != "R;L";
        Article art{0, "FLOOD", now, 0, "flood", {}};
        HostFile file{0, "FLOOD.DAT", "FLOOD", now, "flood", {}, {}};
        auto entry = [&](int number) {
            say(files ? text::fileListLine(number, file) : text::messageListLine(number, art));
        };
        entry(0);
        entry(files ? 1000 : 10000);
        for (int i = 0; i < n; ++i)
            entry(files ? i % 999 + 1 : i % 9999 + 1);
    } else if (w == "U") {
        for (int i = 1; i <= n; ++i) {
            std::snprintf(buf, sizeof buf, "FL%06d", i % 1000000);
            say(text::memberLine(1000 + i, Member{buf, "FLOOD"}));
        }
    }
}

} // namespace sim
