// The store files the viewers read, as any bytes: the board list, a board's message file and
// its removed-article file, the message and file lists, the member list and MAIL.DAT, with
// any sequence of clicks in the board, mail, list and member windows. Every shown message
// is a run of whole lines of its file; deleting an article removes exactly that run and
// nothing else; a list or download reservation adds exactly one well-formed line to the
// net's NET.MAC; nothing else is written.
#include "base/LineFile.h"
#include "fuzz/FuzzSupport.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "store/StoreFiles.h"
#include "tests/macro/RecordingMacroHost.h"
#include "viewers/ArticleListModel.h"
#include "viewers/BoardModel.h"
#include "viewers/MailModel.h"
#include "viewers/MemberListModel.h"

#include <algorithm>

namespace {

struct Host : viewers::ViewerHost {
    fuzz::Bytes* in = nullptr;
    void warn(const std::string&) override {}
    bool ask(const std::string&) override { return in->below(4) != 0; }
    void sorry(const std::string&) override {}
    void showStatus(const std::string&) override {}
    void showProgress(int p) override { FUZZ_CHECK(p >= 0 && p <= 100); }
};

// A file's contents as the viewers read it, one string with CR LF after each line.
std::string joined(const std::string& path) { return base::joinLines(store::readStoreLines(path)); }

// `text` (whole lines) stands in `file` starting at a line's start.
bool wholeLinesOf(const std::string& text, const std::string& file) {
    for (size_t at = file.find(text); at != std::string::npos; at = file.find(text, at + 1))
        if (at == 0 || (at >= 2 && file[at - 1] == '\n' && file[at - 2] == '\r'))
            return true;
    return false;
}

// `after` is `before` without one run of whole lines equal to `run`.
bool withoutOneRun(const std::string& before, const std::string& after, const std::string& run) {
    if (before.size() != after.size() + run.size())
        return false;
    for (size_t at = before.find(run); at != std::string::npos; at = before.find(run, at + 1)) {
        if (at != 0 && before[at - 1] != '\n')
            continue;
        if (before.compare(0, at, after, 0, at) == 0 &&
            before.compare(at + run.size(), std::string::npos, after, at) == 0)
            return true;
    }
    return false;
}

// A piece whose length two bytes give, for files longer than 255 bytes.
std::string file(fuzz::Bytes& in) {
    const size_t n = in.byte() | static_cast<size_t>(in.byte()) << 8;
    return in.take(n);
}

const std::vector<std::string> kStoreFiles = {"MBOARD.LST",   "MBOARD01.DAT", "MBOARD01.OLD",
                                              "MBOARD01.LST", "FBOARD.LST",   "FBOARD01.LST",
                                              "MEMBOR.LST",   "MAIL.DAT"};

void board(fuzz::Bytes& in, viewers::BoardModel& b, const std::string& folder) {
    const std::string datPath = folder + "MBOARD01.DAT", oldPath = folder + "MBOARD01.OLD";
    // What the files held before any deletion: every message shown is whole lines of it.
    const std::string dat = joined(datPath), old = joined(oldPath);
    auto checkShown = [&] {
        FUZZ_CHECK(b.selected() >= -1 && b.selected() < static_cast<int>(b.list().size()));
        for (const auto& e : b.list())
            FUZZ_CHECK(e.seq >= 1 && e.seq <= viewers::BoardModel::kArticles);
        const std::string memo = b.memoText();
        if (!memo.empty())
            FUZZ_CHECK(wholeLinesOf(memo, b.fileKind() == ".OLD" ? old : dat));
    };
    b.FormShow(in.below(2), in.below(2), in.below(2));
    checkShown();
    for (int steps = 0; steps < 40 && !in.empty(); ++steps) {
        switch (in.below(12)) {
        case 0:
            b.boardnameChange(in.below(static_cast<int>(b.boardLines().size()) + 2) - 1);
            break;
        case 1:
            b.setMode(static_cast<viewers::BrowseMode>(in.below(4)));
            b.Button2Click();
            break;
        case 2:
            b.setTree(in.below(2));
            b.Button2Click();
            break;
        case 3:
            b.setSearchword(in.piece());
            b.setMode(viewers::BrowseMode::Search);
            b.Button2Click();
            break;
        case 4:
            b.setYear(in.byte() + 1990);
            b.setMonth(in.below(14));
            b.setDay(in.below(33));
            b.setMode(viewers::BrowseMode::Date);
            b.Button2Click();
            break;
        case 5:
            b.ListBox1Click(in.below(static_cast<int>(b.list().size()) + 2) - 1);
            break;
        case 6:
            in.below(2) ? b.DOWNButtonClick() : b.UPButtonClick();
            break;
        case 7:
            in.below(2) ? b.nextLine() : b.previousLine();
            break;
        case 8:
            b.FileKindClick();
            break;
        case 9: {
            // Only board 01 has files; the article goes from the one being shown.
            const std::string memo = b.memoText();
            const std::string datBefore = joined(datPath), oldBefore = joined(oldPath);
            const bool gone = b.deleteArticle();
            const std::string datAfter = joined(datPath), oldAfter = joined(oldPath);
            if (!gone)
                FUZZ_CHECK(datAfter == datBefore && oldAfter == oldBefore);
            else if (b.fileKind() == ".OLD")
                FUZZ_CHECK(datAfter == datBefore && withoutOneRun(oldBefore, oldAfter, memo));
            else
                FUZZ_CHECK(oldAfter == oldBefore && withoutOneRun(datBefore, datAfter, memo));
            break;
        }
        case 10:
            b.ResButtonClick();
            break;
        default:
            b.Button1Click();
            break;
        }
        checkShown();
    }
}

void mail(fuzz::Bytes& in, viewers::MailModel& m, const std::string& text) {
    m.FormShow();
    for (int steps = 0; steps < 20 && !in.empty(); ++steps) {
        switch (in.below(4)) {
        case 0:
            m.ListBox1Click(in.below(static_cast<int>(m.list().size()) + 2) - 1);
            break;
        case 1:
            m.UPButtonClick();
            break;
        case 2:
            m.DOWNButtonClick();
            break;
        default:
            m.ResButtonClick();
            break;
        }
        FUZZ_CHECK(m.selected() >= -1 && m.selected() < static_cast<int>(m.list().size()));
        if (!m.memoText().empty())
            FUZZ_CHECK(wholeLinesOf(m.memoText(), text));
    }
}

base::Lines reservations(const base::Lines& mac) {
    static const std::vector<std::string> fixed = {"SETKTBBS", "LOGIN",      "QUIT",   "FBOARD",
                                                   "MBOARD",   "MEMBOR",     "NEWFILE",
                                                   "NEWMESSAGE"};
    base::Lines out;
    for (const std::string& l : mac)
        if (std::find(fixed.begin(), fixed.end(), l) == fixed.end() && l.rfind("DIAL{", 0) != 0 &&
            l.rfind("MIDOKU :", 0) != 0)
            out.push_back(l);
    return out;
}

// Reservations from the list window: each adds one line to NET.MAC, a list read or a
// download whose number is the one typed and in range, and changes nothing else.
void lists(fuzz::Bytes& in, viewers::ArticleListModel& a, const std::string& netMac,
           const std::string& templateMac) {
    a.FormShow();
    for (int steps = 0; steps < 30 && !in.empty(); ++steps) {
        // The reservation part of NET.MAC; the fixed commands around it are rewritten from
        // the net manager's ticks each time.
        base::Lines before, after;
        // Until the net has its own NET.MAC, the first reservation starts from the template.
        if (!base::readLinesIfExists(netMac, before))
            before = base::readLines(templateMac);
        before = reservations(before);
        bool reserved = false;
        switch (in.below(7)) {
        case 0:
            a.MboardClick();
            break;
        case 1:
            a.FboardClick();
            break;
        case 2:
            a.BoardChange(in.below(static_cast<int>(a.boardLines().size()) + 2) - 1);
            break;
        case 3:
            a.ListBox1Click(in.below(static_cast<int>(a.list().size()) + 2) - 1);
            break;
        case 4:
            in.below(2) ? a.setLDownNo(in.piece()) : a.setDownNo(in.piece());
            break;
        case 5:
            reserved = a.LDownClick();
            break;
        default:
            reserved = a.DownClick();
            break;
        }
        FUZZ_CHECK(a.selected() >= -1 && a.selected() < static_cast<int>(a.list().size()));
        base::readLinesIfExists(netMac, after);
        after = reservations(after);
        if (!reserved) {
            FUZZ_CHECK(after == before);
            continue;
        }
        FUZZ_CHECK(after.size() == before.size() + 1);
        size_t added = 0;
        while (added < before.size() && before[added] == after[added])
            ++added;
        FUZZ_CHECK(std::equal(before.begin() + static_cast<long>(added), before.end(),
                              after.begin() + static_cast<long>(added) + 1));
        const std::string& line = after[added];
        FUZZ_CHECK(macro::ReserveList::wellFormed({line}));
        const size_t hash = line.rfind('#');
        FUZZ_CHECK(hash != std::string::npos);
        const std::string number = line.substr(hash + 1);
        FUZZ_CHECK(!number.empty() && number.size() <= 4 &&
                   number.find_first_not_of("0123456789") == std::string::npos);
    }
}

void members(fuzz::Bytes& in, viewers::MemberListModel& m) {
    m.FormShow();
    for (int steps = 0; steps < 10 && !in.empty(); ++steps) {
        if (in.below(2))
            m.ListBox1Click(in.below(static_cast<int>(m.list().size()) + 2) - 1);
        else
            m.MailClick();
        FUZZ_CHECK(m.selected() >= -1 && m.selected() < static_cast<int>(m.list().size()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    fuzz::Bytes in(data, size);

    const base::Lines net = {"NET", "TNET", "999", "0", "ID", "PW", "H", "KTBBS",
                             "26/12/05 12:00:00", ""};
    shell::NetList nets(box.data(), net);
    base::makeDirs(box.file("TNET"));
    base::replaceLines(box.file("NET.MAC"), {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
    for (const std::string& name : kStoreFiles)
        base::replaceFile(box.file("TNET/" + name), file(in));

    RecordingMacroHost macroHost;
    macroHost.provideAll();
    macro::MacroModel macro(nets, macroHost, box.data());
    macro.FormShow();
    macro.ListBox1Click(0);
    Host host;
    host.in = &in;

    const std::string folder = box.file("TNET/");
    const base::LocalDateTime today{2026, 12, 9, 12, 0, 0, 0, 3};
    switch (in.below(4)) {
    case 0: {
        viewers::BoardModel b(macro, nets, host, today);
        board(in, b, folder);
        break;
    }
    case 1: {
        viewers::MailModel m(macro, host);
        mail(in, m, joined(folder + "MAIL.DAT"));
        break;
    }
    case 2: {
        viewers::ArticleListModel a(macro, host);
        lists(in, a, box.file("TNET/NET.MAC"), box.file("NET.MAC"));
        break;
    }
    default: {
        viewers::MemberListModel m(macro);
        members(in, m);
        break;
    }
    }

    box.checkContained();
    for (const std::string& entry : fuzz::tree(box.data())) {
        const bool store = entry.rfind("TNET/", 0) == 0 &&
                           std::find(kStoreFiles.begin(), kStoreFiles.end(), entry.substr(5)) !=
                               kStoreFiles.end();
        FUZZ_CHECK(store || entry == "TNET" || entry == "TNET/NET.MAC" || entry == "NET.MAC" ||
                   entry == "NETLIST.DAT");
    }
    return 0;
}
