// Writes a DataSet back as a fixture folder, in the layout loadFixture reads, so that a
// simulated host can keep its state from one run to the next (the demo net).
#include "base/LineFile.h"
#include "base/Path.h"
#include "sim/Fixture.h"

#include <cstdio>

namespace sim {

namespace {

std::string fullDate(const base::LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string twoDigits(const char* prefix, int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%02d", prefix, n);
    return buf;
}

// A body line that starts with "*" would start a block: it gets one more "*".
void addBody(base::Lines& out, const base::Lines& body) {
    for (const std::string& l : body)
        out.push_back(!l.empty() && l[0] == '*' ? "*" + l : l);
    out.push_back("");
}

void save(const std::string& path, const base::Lines& lines) {
    try {
        base::replaceLines(path, lines);
    } catch (const base::FileError& e) {
        throw FixtureError(e.what());
    }
}

void saveContent(const std::string& dir, const std::string& name, const std::string& bytes) {
    try {
        base::makeDirs(dir);
        base::replaceFile(base::joinPath(dir, name), bytes);
    } catch (const base::FileError& e) {
        throw FixtureError(e.what());
    }
}

template <typename Board> base::Lines boardList(const std::vector<Board>& boards) {
    base::Lines out;
    for (const Board& b : boards)
        out.push_back(std::to_string(b.number) + "|" + b.name + "|" + b.title + "|" +
                      (b.writable ? "" : "R"));
    return out;
}

} // namespace

void saveFixture(const DataSet& d, const std::string& dir) {
    try {
        base::makeDirs(dir);
    } catch (const base::FileError& e) {
        throw FixtureError(e.what());
    }
    base::Lines host = {"Name=" + d.hostName};
    for (const std::string& l : d.banner)
        host.push_back("Banner=" + l);
    host.push_back("User=" + d.user.id);
    host.push_back("Password=" + d.user.password);
    host.push_back("Handle=" + d.user.handle);
    host.push_back("Unread=" + fullDate(d.user.unreadDate));
    host.push_back("LastLogin=" + fullDate(d.user.lastLogin));
    if (d.restrictFromHour >= 0 && d.restrictToHour >= 0)
        host.push_back("Restricted=" + std::to_string(d.restrictFromHour) + "-" +
                       std::to_string(d.restrictToHour));
    save(base::joinPath(dir, "HOST.TXT"), host);

    base::Lines members;
    for (const Member& m : d.members)
        members.push_back(m.id + " " + m.handle);
    save(base::joinPath(dir, "MEMBERS.TXT"), members);

    save(base::joinPath(dir, "MBOARDS.TXT"), boardList(d.boards));
    for (const MessageBoard& b : d.boards) {
        base::Lines out;
        for (const Article& a : b.articles) {
            out.push_back("*ARTICLE " + std::to_string(a.number));
            out.push_back("From: " + a.author);
            out.push_back("Date: " + fullDate(a.date));
            if (a.replyTo > 0)
                out.push_back("Reply: " + std::to_string(a.replyTo));
            out.push_back("Subject: " + a.subject);
            out.push_back("");
            addBody(out, a.body);
        }
        save(base::joinPath(dir, twoDigits("MB", b.number) + ".TXT"), out);
    }

    save(base::joinPath(dir, "FBOARDS.TXT"), boardList(d.fileBoards));
    for (const FileBoard& b : d.fileBoards) {
        const std::string stem = twoDigits("FB", b.number);
        base::Lines out;
        for (const HostFile& f : b.files) {
            out.push_back("*FILE " + std::to_string(f.number));
            out.push_back("Name: " + f.name);
            out.push_back("From: " + f.uploader);
            out.push_back("Date: " + fullDate(f.date));
            out.push_back("Comment: " + f.comment);
            out.push_back("");
            addBody(out, f.description);
            saveContent(base::joinPath(dir, stem), f.name, f.content);
        }
        save(base::joinPath(dir, stem + ".TXT"), out);
    }

    base::Lines mail;
    for (const Mail& m : d.mail) {
        mail.push_back("*MAIL");
        mail.push_back("From: " + m.from);
        mail.push_back("Date: " + fullDate(m.date));
        mail.push_back("Subject: " + m.subject);
        if (m.binary) {
            mail.push_back("File: " + m.fileName);
            saveContent(base::joinPath(dir, "MAIL"), m.fileName, m.content);
        }
        mail.push_back("");
        addBody(mail, m.body);
    }
    save(base::joinPath(dir, "MAIL.TXT"), mail);
}

} // namespace sim
