// The terminal's receive path: host text fed in 4096-byte notifications becomes lines of
// the line table and of the capture log, against a plain memchr line count of the same
// bytes; the same text coloured with escape sequences, against the plain text; and the
// memory of a full line table.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/VirtualLoop.h"
#include "bench/Bench.h"
#include "bench/NullHosts.h"
#include "engine/VazevModel.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// Everything a run needs, on a folder of its own.
struct Rig : bench::EngineRig {
    explicit Rig(const std::string& folder) : EngineRig(folder, false) {
        macroHost.runs = true;
        base::makeDirs(folder + "/BENCH");
        base::replaceLines(folder + "/BENCH/NET.MAC", {"SETKTBBS", "DIAL{0}", "LOGIN", "QUIT"});
        macro.FormShow();
        macro.ListBox1Click(0);
        macro.Convert();
    }
    void feed(const std::string& text) {
        model.AutoLoginClick();
        for (size_t at = 0; at < text.size(); at += 4096)
            model.Comm1CommReceive(std::string_view(text).substr(at, 4096));
        model.Button2Click();
    }
};

std::string hostText(int lines) {
    std::string t;
    const std::string body =
        "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd  Message  #1234  Section 12: TALK  from TARNO001";
    for (int i = 0; i < lines; ++i) {
        t += body.substr(0, 40 + i % 30);
        t += "\r\n";
    }
    return t;
}

// The same text from a host that colours it: a heading colour at the start of every
// third line, a second colour halfway along every line, a reset before each line end.
std::string colouredHostText(int lines) {
    const std::string plain = hostText(lines);
    std::string t;
    t.reserve(plain.size() * 3 / 2);
    int i = 0;
    for (size_t at = 0; at < plain.size();) {
        const size_t end = plain.find("\r\n", at);
        const std::string line = plain.substr(at, end - at);
        if (i++ % 3 == 0)
            t += "\x1b[1;33;44m";
        t += line.substr(0, 20) + "\x1b[36m" + line.substr(20) + "\x1b[0m\r\n";
        at = end + 2;
    }
    return t;
}

} // namespace

int main() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tarno-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        return 1;
    {
        Rig rig(tmpl);
        const std::string text = hostText(150000);
        const double mb = static_cast<double>(text.size()) / 1e6;

        double receive = bench::bestSeconds(5, [&] { rig.feed(text); });
        volatile size_t sink = 0;
        double count = bench::bestSeconds(5, [&] {
            size_t n = 0;
            const char* p = text.data();
            const char* end = p + text.size();
            while ((p = static_cast<const char*>(std::memchr(p, '\r', end - p)))) {
                ++n;
                ++p;
            }
            sink = sink + n;
        });
        bench::report("receive_path", mb / receive, "MB/s", count / receive);

        // Coloured: the figure is the text that reaches the lines per second.
        const std::string coloured = colouredHostText(150000);
        double colouredReceive = bench::bestSeconds(5, [&] { rig.feed(coloured); });
        bench::report("receive_path_coloured", mb / colouredReceive, "MB/s",
                      receive / colouredReceive);

        // A full table: every line 80 bytes.
        long before = bench::residentBytes();
        std::string full;
        const std::string line80(80, 'x');
        for (int i = 0; i < engine::VazevModel::kLastWritePointer - 1; ++i)
            full += line80 + "\r";
        rig.model.AutoLoginClick();
        for (size_t at = 0; at < full.size(); at += 4096)
            rig.model.Comm1CommReceive(std::string_view(full).substr(at, 4096));
        full.clear();
        full.shrink_to_fit();
        long after = bench::residentBytes();
        const double textMb = 80.0 * engine::VazevModel::kLineCount / 1e6;
        bench::report("line_table_resident", after / 1e6, "MB",
                      static_cast<double>(after) / 1e6 / textMb);
        (void)before;
    }
    std::filesystem::remove_all(tmpl);
    return 0;
}
