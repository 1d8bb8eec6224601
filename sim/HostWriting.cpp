// The host's writing commands: replies and new messages, mail, binary mail and file
// uploads. A posting the host refuses still reads its text up to "//" and the save
// answer, so that a terminal that types its text ahead never has body lines taken for
// commands.
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/Host.h"
#include "sim/HostText.h"

#include <cstdio>

namespace sim {

using base::sj;

namespace {

constexpr size_t kMaxFileName = 12;

bool isYes(const std::string& answer) {
    return upperAscii(base::trim(answer)) == "Y";
}

std::string cancelled() {
    return sj(u8"中止しました。");
}

std::string textPrompt() {
    return sj(u8"本文を入力してください。(// で終了)");
}

} // namespace

bool Host::refusesWriting(const MessageBoard& b) const {
    if (!b.writable)
        return true;
    for (const std::string& ref : options_.readOnlyBoards) {
        std::string r = base::trim(ref);
        if (upperAscii(r) == upperAscii(b.name) || base::strToIntDef(r, -1) == b.number)
            return true;
    }
    return false;
}

// ---- replies and new messages ---------------------------------------------------------

void Host::reply() {
    ask(sj(u8"ボード>"), [this](const std::string& ref) {
        ask(sj(u8"番号>"), [this, ref](const std::string& number) {
            PostRecord p;
            p.kind = PostRecord::Kind::Reply;
            p.boardRef = ref;
            p.replyTo = base::strToIntDef(base::trim(number), 0);
            std::string refusal;
            MessageBoard* b = data_.board(ref);
            const Article* a = b ? b->find(p.replyTo) : nullptr;
            if (!b) {
                refusal = sj(u8"そのボードはありません。");
            } else if (!a) {
                refusal = sj(u8"その番号のメッセージはありません。");
            } else {
                p.board = b->number;
                p.title = a->subject;
                say("Re:" + std::to_string(a->number) + ") " + a->subject +
                    sj(u8" に返信します。"));
                if (refusesWriting(*b))
                    refusal = text::writeRefused();
            }
            confirm(sj(u8"よろしいですか (Y/N)>"), [this, p, refusal] { compose(p, refusal); });
        });
    });
}

void Host::confirm(const std::string& prompt, std::function<void()> then) {
    ask(prompt, [this, then](const std::string& yn) {
        if (!isYes(yn)) {
            say(cancelled());
            mainMenu();
            return;
        }
        then();
    });
}

void Host::newMessage() {
    ask(sj(u8"ボード>"), [this](const std::string& ref) {
        ask(sj(u8"題名>"), [this, ref](const std::string& title) {
            PostRecord p;
            p.kind = PostRecord::Kind::NewMessage;
            p.boardRef = ref;
            p.title = title;
            std::string refusal;
            if (MessageBoard* b = data_.board(ref)) {
                p.board = b->number;
                if (refusesWriting(*b))
                    refusal = text::writeRefused();
            } else {
                refusal = sj(u8"そのボードはありません。");
            }
            confirm(sj(u8"よろしいですか (Y/N)>"), [this, p, refusal] { compose(p, refusal); });
        });
    });
}

void Host::compose(PostRecord post, std::string refusal) {
    if (!refusal.empty())
        say(refusal);
    say(textPrompt());
    readText([this, post, refusal](const base::Lines& body) mutable {
        post.body = body;
        askSavePost(post, refusal);
    });
}

void Host::askSavePost(PostRecord post, std::string refusal) {
    ask(sj(u8"S:保存 A:中止>"), [this, post, refusal](const std::string& answer) mutable {
        std::string a = upperAscii(base::trim(answer));
        if (a != "S" && a != "A") {
            askSavePost(post, refusal);
            return;
        }
        if (a == "A" || !refusal.empty()) {
            // A refusal was said once, when the posting started; the save just ends it.
            if (a == "A")
                say(cancelled());
            record_.posts.push_back(post);
            mainMenu();
            return;
        }
        MessageBoard* b = data_.board(std::to_string(post.board));
        Article art;
        art.number = b->nextNumber();
        art.author = data_.user.id;
        art.date = loop_.localNow();
        art.replyTo = post.kind == PostRecord::Kind::Reply ? post.replyTo : 0;
        art.subject = post.title;
        art.body = post.body;
        b->articles.push_back(art);
        post.saved = true;
        post.article = art.number;
        record_.posts.push_back(post);
        say(text::writeDone());
        mainMenu();
    });
}

// ---- mail -----------------------------------------------------------------------------

void Host::askRecipient(std::function<void(const std::string& id)> then) {
    ask(sj(u8"宛先ID>"), [this, then](const std::string& answer) {
        const std::string id = base::trim(answer);
        if (!data_.member(id)) {
            say(sj(u8"そのIDは登録されていません。"));
            flushTypeAhead();
            mainMenu();
            return;
        }
        then(id);
    });
}

void Host::mail() {
    askRecipient([this](const std::string& id) {
        MailRecord m;
        m.to = id;
        if (options_.groupMail)
            askMailGroup(m);
        else
            askMailTitle(m);
    });
}

void Host::askMailGroup(MailRecord m) {
    ask(sj(u8"同報先ID (G:group C:cancel 0:end)>"), [this, m](const std::string& answer) mutable {
        std::string a = upperAscii(base::trim(answer));
        if (a.empty() || a == "0") {
            askMailTitle(m);
        } else if (a == "C") {
            say(cancelled());
            mainMenu();
        } else if (a == "G") {
            say(sj(u8"グループは登録されていません。"));
            askMailGroup(m);
        } else if (data_.member(a)) {
            m.group.push_back(base::trim(answer));
            askMailGroup(m);
        } else {
            say(sj(u8"そのIDは登録されていません。"));
            askMailGroup(m);
        }
    });
}

void Host::askMailTitle(MailRecord m) {
    std::string prompt = options_.groupMail ? sj(u8"題名>") : sj(u8"題名 (C:cancel 0:end)>");
    ask(prompt, [this, m](const std::string& title) mutable {
        std::string t = upperAscii(base::trim(title));
        if (!options_.groupMail && (t == "C" || t == "0")) {
            say(cancelled());
            mainMenu();
            return;
        }
        m.title = title;
        confirm(sj(u8"よろしいですか (Y/N)>"), [this, m]() mutable {
            say(textPrompt());
            readText([this, m](const base::Lines& body) mutable {
                m.body = body;
                askSaveMail(m);
            });
        });
    });
}

void Host::askSaveMail(MailRecord m) {
    ask(sj(u8"S:送信 A:中止>"), [this, m](const std::string& answer) mutable {
        std::string a = upperAscii(base::trim(answer));
        if (a != "S" && a != "A") {
            askSaveMail(m);
            return;
        }
        m.saved = a == "S";
        record_.mails.push_back(m);
        say(m.saved ? text::writeDone() : cancelled());
        mainMenu();
    });
}

// ---- binary mail ----------------------------------------------------------------------

void Host::binaryMail() {
    askRecipient([this](const std::string& id) {
        UploadRecord u;
        u.binaryMail = true;
        u.to = id;
        if (options_.groupMail)
            askBinaryGroup(u);
        else
            askBinaryFile(u);
    });
}

void Host::askBinaryGroup(UploadRecord u) {
    ask(sj(u8"同報先ID (0:end)>"), [this, u](const std::string& answer) mutable {
        std::string a = base::trim(answer);
        if (a.empty() || a == "0") {
            askBinaryFile(u);
            return;
        }
        if (data_.member(a))
            u.group.push_back(a);
        else
            say(sj(u8"そのIDは登録されていません。"));
        askBinaryGroup(u);
    });
}

void Host::askBinaryFile(UploadRecord u) {
    ask(sj(u8"ファイル名 (:end で中止)>"), [this, u](const std::string& name) mutable {
        std::string n = base::trim(name);
        if (n.empty() || n == ":end") {
            say(cancelled());
            mainMenu();
            return;
        }
        u.name = n.substr(0, kMaxFileName);
        confirm(sj(u8"転送しますか (Y/N)>"), [this, u]() mutable {
            ask(sj(u8"コメントを書きますか (Y/N)>"), [this, u](const std::string& yn) mutable {
                if (!isYes(yn)) {
                    askSendBinary(u);
                    return;
                }
                say(textPrompt());
                readText([this, u](const base::Lines& lines) mutable {
                    u.description = lines;
                    askSendBinary(u);
                });
            });
        });
    });
}

void Host::askSendBinary(UploadRecord u) {
    ask(sj(u8"S:送信 A:中止>"), [this, u](const std::string& answer) mutable {
        std::string a = upperAscii(base::trim(answer));
        if (a == "A") {
            say(cancelled());
            mainMenu();
        } else if (a != "S") {
            askSendBinary(u);
        } else {
            ask(sj(u8"プロトコル (M:MLINK)>"), [this, u](const std::string& p) {
                if (upperAscii(base::trim(p)) != "M") {
                    say(sj(u8"そのプロトコルは使えません。"));
                    askSendBinary(u);
                    return;
                }
                receiveUpload(u, nullptr);
            });
        }
    });
}

// ---- uploads --------------------------------------------------------------------------

void Host::upload(FileBoard& b) {
    ask(sj(u8"ファイル名>"), [this, &b](const std::string& name) {
        UploadRecord u;
        u.boardRef = fileBoardRef_;
        u.board = b.number;
        u.name = base::trim(name).substr(0, kMaxFileName);
        if (u.name.empty()) {
            fileMenu(b);
            return;
        }
        if (!b.writable) {
            say(text::writeRefused());
            flushTypeAhead();
            fileMenu(b);
            return;
        }
        if (!b.findByName(u.name)) {
            askUploadComment(b, u);
            return;
        }
        ask(sj(u8"同名ファイルがあります。いいですか (Y/N)>"),
            [this, &b, u](const std::string& yn) {
                if (isYes(yn))
                    askUploadComment(b, u);
                else
                    fileMenu(b);
            });
    });
}

void Host::askUploadComment(FileBoard& b, UploadRecord u) {
    ask(sj(u8"コメント (1行)>"), [this, &b, u](const std::string& comment) mutable {
        u.comment = comment;
        ask(sj(u8"説明文を入力しますか (Y/N)>"), [this, &b, u](const std::string& yn) mutable {
            if (!isYes(yn)) {
                askRegister(b, u);
                return;
            }
            say(sj(u8"説明文を入力してください。(// で終了)"));
            readText([this, &b, u](const base::Lines& lines) mutable {
                u.description = lines;
                askRegister(b, u);
            });
        });
    });
}

void Host::askRegister(FileBoard& b, UploadRecord u) {
    ask(sj(u8"S:登録 A:中止>"), [this, &b, u](const std::string& answer) {
        std::string a = upperAscii(base::trim(answer));
        if (a == "A") {
            say(cancelled());
            fileMenu(b);
        } else if (a != "S") {
            askRegister(b, u);
        } else {
            receiveUpload(u, &b);
        }
    });
}

void Host::receiveUpload(UploadRecord u, FileBoard* board) {
    say(text::transferStart());
    flushTypeAhead();
    input_ = Input::Mlink;
    record_.uploads.push_back(u);
    activeUpload_ = static_cast<int>(record_.uploads.size()) - 1;
    mlink_.startReceive([this, board](const MlinkPeer::Result& r) {
        UploadRecord& rec = record_.uploads[activeUpload_];
        activeUpload_ = -1;
        rec.headerName = r.headerName;
        rec.declaredSize = r.declaredSize;
        rec.bytes = r.bytes;
        rec.complete = r.ok;
        input_ = Input::Line;
        auto next = [this, board] {
            if (board)
                fileMenu(*board);
            else
                mainMenu();
        };
        if (!r.ok) {
            transferFailedThen(r, next);
            return;
        }
        if (board) {
            HostFile* f = board->findByName(rec.name);
            if (!f) {
                board->files.push_back(HostFile{board->nextNumber(), rec.name, {}, {}, {}, {}, {}});
                f = &board->files.back();
            }
            f->uploader = data_.user.id;
            f->date = loop_.localNow();
            f->comment = rec.comment;
            f->description = rec.description;
            f->content = rec.bytes;
        }
        say(text::transferDone());
        next();
    });
}

} // namespace sim
