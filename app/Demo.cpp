#include "app/Demo.h"

#include "app/DataDir.h"
#include "app/Runner.h"
#include "base/LineFile.h"
#include "base/Path.h"
#include "base/Sjis.h"
#include "macro/ReserveList.h"
#include "sim/Fixture.h"
#include "sim/SimLinePeer.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace app {

using base::sj;

namespace {

constexpr const char* kNet = "DEMO";

base::Lines demoNet() {
    return {sj(u8"デモネット"), kNet,    "0312345678",        "0", "TARNO001", "tarno",
            sj(u8"たーの"),     "KTBBS", "26/12/05 00:00:00", ""};
}

// What the demo reserves on first use: a reply, a new message, a mail and a download.
base::Lines demoCommands() {
    return {"SETKTBBS",
            "DIAL{0}",
            "LOGIN",
            "NEWMESSAGE",
            "MBOARD",
            "MEMBOR",
            "RES :1#2",
            sj(u8"はなこさん、はじめまして。たーのです。"),
            sj(u8"こちらこそよろしくお願いします。"),
            "//",
            "NEWW :2#" + sj(u8"デモからの書き込み"),
            sj(u8"TARNO のデモから書き込んでいます。"),
            sj(u8"次の実行でこの書き込みが新着として読めます。"),
            "//",
            "MAIL :TARNO002#" + sj(u8"オフ会の件"),
            sj(u8"メールありがとうございました。参加します。"),
            "//",
            "FDOWN :1#2",
            "QUIT"};
}

std::string netMacPath() {
    return std::string(kNet) + "/NET.MAC";
}

// The reservation headers of the demo net's NET.MAC, in order.
std::vector<std::string> reservations() {
    std::vector<std::string> out;
    base::Lines lines;
    try {
        if (!base::readLinesIfExists(netMacPath(), lines))
            return out;
    } catch (const base::FileError&) {
        return out;
    }
    bool body = false;
    for (const std::string& l : lines) {
        if (body) {
            body = l != "//";
            continue;
        }
        const macro::BlockKind k = macro::kindOf(l);
        if (k == macro::BlockKind::None)
            continue;
        out.push_back(l);
        body = macro::hasBody(k);
    }
    return out;
}

std::vector<std::string> folderFiles(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

int countLinesStarting(const std::string& path, const std::string& prefix) {
    base::Lines lines;
    try {
        if (!base::readLinesIfExists(path, lines))
            return 0;
    } catch (const base::FileError&) {
        return 0;
    }
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.compare(0, prefix.size(), prefix) == 0;
    }));
}

long fileSize(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

void summary(std::FILE* out, const std::vector<std::string>& before,
             const std::vector<std::string>& after) {
    std::fprintf(out, "\n== What the demo run brought ==\n");
    int boards = 0, messages = 0;
    for (const std::string& n : folderFiles(kNet)) {
        if (n.size() == 12 && n.compare(0, 6, "MBOARD") == 0 && n.compare(8, 4, ".DAT") == 0) {
            ++boards;
            const int m = countLinesStarting(std::string(kNet) + "/" + n, "Message  #");
            messages += m;
            if (m > 0)
                std::fprintf(out, "  board %s: %d message(s)\n", n.substr(6, 2).c_str(), m);
        }
    }
    std::fprintf(out, "Message boards in the store: %d, messages: %d\n", boards, messages);
    std::fprintf(out, "Mail in the store: %d\n",
                 countLinesStarting(std::string(kNet) + "/MAIL.DAT", "Private Message is from:"));
    const std::vector<std::string> downloads = folderFiles("DOWNLOAD");
    std::fprintf(out, "Downloads:%s\n", downloads.empty() ? " none" : "");
    for (const std::string& n : downloads)
        std::fprintf(out, "  DOWNLOAD/%s (%ld bytes)\n", n.c_str(), fileSize("DOWNLOAD/" + n));
    int done = 0;
    for (const std::string& r : before)
        if (std::find(after.begin(), after.end(), r) == after.end())
            std::fprintf(out, "Carried out: %s\n", base::toUtf8(r).c_str()), ++done;
    for (const std::string& r : after)
        std::fprintf(out, "Kept for the next run: %s\n", base::toUtf8(r).c_str());
    std::fprintf(out, "Reservations carried out: %d, kept: %zu\n", done, after.size());
}

} // namespace

std::string chooseDemoDataDir(const std::string& fromCommandLine) {
    if (!fromCommandLine.empty())
        return fromCommandLine;
    std::string dir = chooseDataDir({});
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir + "-demo";
}

std::string prepareDemo(const std::string& startingCopies) {
    if (base::fileExists(std::string(kDemoHostFolder) + "/HOST.TXT"))
        return {};
    try {
        sim::saveFixture(sim::loadFixture(startingCopies + "/demo"), kDemoHostFolder);
        base::replaceLines("NETLIST.DAT", demoNet(), 0600);
        base::replaceLines("COMPORTS.DAT", {"sim:", "sim:", "sim:", "sim:"});
        base::makeDirs(kNet);
        base::replaceLines(netMacPath(), demoCommands());
    } catch (const sim::FixtureError& e) {
        return std::string("the demo host's data set: ") + e.what();
    } catch (const base::FileError& e) {
        return e.what();
    }
    return {};
}

int runDemo(const DemoOptions& options) {
    if (std::string error = prepareDemo(options.startingCopies); !error.empty()) {
        std::fprintf(options.err, "tarno: %s\n", error.c_str());
        return Runner::kUsage;
    }
    const std::vector<std::string> before = reservations();
    int status = Runner::kUsage;
    {
        Runner::Options o;
        o.net = kNet;
        o.showScreen = options.showScreen;
        o.simFixture = kDemoHostFolder;
        o.out = options.out;
        o.err = options.err;
        Runner runner(o);
        if (!runner.simPeer()) {
            std::fprintf(options.err, "tarno: the demo host cannot start\n");
            return Runner::kUsage;
        }
        status = runner.run();
        // The host keeps what the run changed (postings, read mail, dates) for the next.
        try {
            sim::saveFixture(runner.simPeer()->simulator().data(), kDemoHostFolder);
        } catch (const sim::FixtureError& e) {
            std::fprintf(options.err, "tarno: the demo host's state was not saved: %s\n", e.what());
        }
    }
    summary(options.out, before, reservations());
    return status;
}

} // namespace app
