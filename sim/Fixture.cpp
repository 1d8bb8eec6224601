#include "sim/Fixture.h"

#include "base/Path.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace sim {

namespace {

struct Block {
    std::string kind; // "ARTICLE", "FILE", "MAIL"
    std::string arg;
    int line = 0;
    std::map<std::string, std::string> fields;
    base::Lines body;
};

[[noreturn]] void fail(const std::string& file, int line, const std::string& what) {
    throw FixtureError(file + (line > 0 ? ":" + std::to_string(line) : "") + ": " + what);
}

base::Lines readOptional(const std::string& path) {
    base::Lines lines;
    try {
        base::readLinesIfExists(path, lines);
    } catch (const base::FileError& e) {
        throw FixtureError(e.what());
    }
    return lines;
}

std::vector<Block> readBlocks(const std::string& path) {
    std::vector<Block> blocks;
    base::Lines lines = readOptional(path);
    bool inHeader = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (!l.empty() && l[0] == '*' && (l.size() < 2 || l[1] != '*')) {
            Block b;
            std::string head = l.substr(1);
            size_t blank = head.find(' ');
            b.kind = head.substr(0, blank);
            b.arg = blank == std::string::npos ? "" : base::trim(head.substr(blank));
            b.line = static_cast<int>(i) + 1;
            blocks.push_back(std::move(b));
            inHeader = true;
            continue;
        }
        if (blocks.empty())
            continue;
        Block& b = blocks.back();
        if (inHeader) {
            if (l.empty()) {
                inHeader = false;
                continue;
            }
            size_t colon = l.find(':');
            if (colon == std::string::npos)
                fail(path, static_cast<int>(i) + 1, "expected \"Key: value\"");
            std::string value = l.substr(colon + 1);
            if (!value.empty() && value[0] == ' ')
                value.erase(0, 1);
            b.fields[l.substr(0, colon)] = value;
            continue;
        }
        b.body.push_back(!l.empty() && l[0] == '*' ? l.substr(1) : l);
    }
    for (Block& b : blocks)
        while (!b.body.empty() && b.body.back().empty())
            b.body.pop_back();
    return blocks;
}

std::string field(const Block& b, const std::string& path, const std::string& key,
                  bool required = true) {
    auto it = b.fields.find(key);
    if (it != b.fields.end())
        return it->second;
    if (required)
        fail(path, b.line, "missing \"" + key + ":\"");
    return "";
}

base::LocalDateTime dateField(const Block& b, const std::string& path) {
    std::string text = field(b, path, "Date");
    auto t = parseHostDateTime(text);
    if (!t)
        fail(path, b.line, "bad date \"" + text + "\"");
    return *t;
}

int number(const std::string& text, const std::string& path, int line, int lo, int hi) {
    auto n = base::strToInt(base::trim(text));
    if (!n || *n < lo || *n > hi)
        fail(path, line, "bad number \"" + text + "\"");
    return *n;
}

std::string content(const std::string& dir, const std::string& sub, const std::string& name,
                    const Block& b, const std::string& path) {
    std::string file = base::joinPath(base::joinPath(dir, sub), name);
    if (base::fileExists(file)) {
        try {
            return base::readFile(file);
        } catch (const base::FileError& e) {
            throw FixtureError(e.what());
        }
    }
    std::string size = field(b, path, "Size", false);
    if (size.empty())
        fail(path, b.line, "no content file " + file + " and no \"Size:\"");
    return generatedContent(static_cast<size_t>(number(size, path, b.line, 0, 100'000'000)));
}

void readHost(const std::string& dir, DataSet& d) {
    std::string path = base::joinPath(dir, "HOST.TXT");
    if (!base::fileExists(path))
        throw FixtureError(path + ": missing");
    base::Lines lines = readOptional(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        int line = static_cast<int>(i) + 1;
        if (base::trim(l).empty() || l[0] == ';')
            continue;
        size_t eq = l.find('=');
        if (eq == std::string::npos)
            fail(path, line, "expected \"Key=Value\"");
        std::string key = base::trim(l.substr(0, eq));
        std::string value = l.substr(eq + 1);
        auto date = [&] {
            auto t = parseHostDateTime(value);
            if (!t)
                fail(path, line, "bad date \"" + value + "\"");
            return *t;
        };
        if (key == "Name")
            d.hostName = value;
        else if (key == "Banner")
            d.banner.push_back(value);
        else if (key == "User")
            d.user.id = base::trim(value);
        else if (key == "Password")
            d.user.password = value;
        else if (key == "Handle")
            d.user.handle = value;
        else if (key == "Unread")
            d.user.unreadDate = date();
        else if (key == "LastLogin")
            d.user.lastLogin = date();
        else if (key == "Restricted") {
            size_t dash = value.find('-');
            if (dash == std::string::npos)
                fail(path, line, "expected \"from-to\" hours");
            d.restrictFromHour = number(value.substr(0, dash), path, line, 0, 24);
            d.restrictToHour = number(value.substr(dash + 1), path, line, 0, 24);
        } else
            fail(path, line, "unknown key \"" + key + "\"");
    }
    if (d.user.id.empty())
        fail(path, 0, "no \"User=\"");
}

template <typename Board>
void readBoards(const std::string& dir, const std::string& name, std::vector<Board>& out) {
    std::string path = base::joinPath(dir, name);
    base::Lines lines = readOptional(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        int line = static_cast<int>(i) + 1;
        if (base::trim(l).empty() || l[0] == ';')
            continue;
        std::vector<std::string> parts;
        int from = 1;
        for (;;) {
            int bar = base::findDelimiter(l, '|', from);
            if (bar == 0) {
                parts.push_back(base::copyFrom(l, from));
                break;
            }
            parts.push_back(base::copy(l, from, bar - from));
            from = bar + 1;
        }
        if (parts.size() < 3)
            fail(path, line, "expected \"number|name|title|flags\"");
        Board b;
        b.number = number(parts[0], path, line, 1, 99);
        b.name = base::trim(parts[1]);
        if (b.name.empty() || b.name.find(' ') != std::string::npos)
            fail(path, line, "a board name is one word");
        b.title = parts[2];
        b.writable = parts.size() < 4 || parts[3].find('R') == std::string::npos;
        out.push_back(std::move(b));
    }
    std::sort(out.begin(), out.end(),
              [](const Board& a, const Board& b) { return a.number < b.number; });
}

std::string boardFile(const char* prefix, int number) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%02d", prefix, number);
    return buf;
}

void readArticles(const std::string& dir, MessageBoard& b) {
    std::string path = base::joinPath(dir, boardFile("MB", b.number) + ".TXT");
    for (const Block& blk : readBlocks(path)) {
        if (blk.kind != "ARTICLE")
            fail(path, blk.line, "expected *ARTICLE");
        Article a;
        a.number = number(blk.arg, path, blk.line, 1, 9999);
        a.author = base::trim(field(blk, path, "From"));
        a.date = dateField(blk, path);
        std::string reply = field(blk, path, "Reply", false);
        a.replyTo = reply.empty() ? 0 : number(reply, path, blk.line, 0, 9999);
        a.subject = field(blk, path, "Subject");
        a.body = blk.body;
        b.articles.push_back(std::move(a));
    }
    std::sort(b.articles.begin(), b.articles.end(),
              [](const Article& x, const Article& y) { return x.number < y.number; });
}

void readFiles(const std::string& dir, FileBoard& b) {
    std::string stem = boardFile("FB", b.number);
    std::string path = base::joinPath(dir, stem + ".TXT");
    for (const Block& blk : readBlocks(path)) {
        if (blk.kind != "FILE")
            fail(path, blk.line, "expected *FILE");
        HostFile f;
        f.number = number(blk.arg, path, blk.line, 1, 999);
        f.name = base::trim(field(blk, path, "Name"));
        if (f.name.empty() || f.name.size() > 12)
            fail(path, blk.line, "a file name has 1 to 12 bytes");
        f.uploader = base::trim(field(blk, path, "From"));
        f.date = dateField(blk, path);
        f.comment = field(blk, path, "Comment", false);
        f.description = blk.body;
        f.content = content(dir, stem, f.name, blk, path);
        b.files.push_back(std::move(f));
    }
    std::sort(b.files.begin(), b.files.end(),
              [](const HostFile& x, const HostFile& y) { return x.number < y.number; });
}

void readMail(const std::string& dir, DataSet& d) {
    std::string path = base::joinPath(dir, "MAIL.TXT");
    int serial = 0;
    for (const Block& blk : readBlocks(path)) {
        if (blk.kind != "MAIL")
            fail(path, blk.line, "expected *MAIL");
        Mail m;
        m.serial = ++serial;
        m.from = base::trim(field(blk, path, "From"));
        m.date = dateField(blk, path);
        m.subject = field(blk, path, "Subject");
        m.body = blk.body;
        m.fileName = base::trim(field(blk, path, "File", false));
        m.binary = !m.fileName.empty();
        if (m.binary)
            m.content = content(dir, "MAIL", m.fileName, blk, path);
        d.mail.push_back(std::move(m));
    }
}

} // namespace

std::string generatedContent(size_t size) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 7 + 3) % 256);
    return out;
}

DataSet loadFixture(const std::string& dir) {
    DataSet d;
    readHost(dir, d);
    std::string membersPath = base::joinPath(dir, "MEMBERS.TXT");
    for (const std::string& l : readOptional(membersPath)) {
        std::string t = base::trim(l);
        if (t.empty() || t[0] == ';')
            continue;
        size_t blank = t.find(' ');
        d.members.push_back(Member{t.substr(0, blank),
                                   blank == std::string::npos ? "" : base::trim(t.substr(blank))});
    }
    readBoards(dir, "MBOARDS.TXT", d.boards);
    readBoards(dir, "FBOARDS.TXT", d.fileBoards);
    for (MessageBoard& b : d.boards)
        readArticles(dir, b);
    for (FileBoard& b : d.fileBoards)
        readFiles(dir, b);
    readMail(dir, d);
    return d;
}

} // namespace sim
