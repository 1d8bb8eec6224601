#include "tests/engine/Transcript.h"

#include "base/Text.h"
#include "tests/engine/EngineHarness.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

namespace engine_test {

std::string transcriptText(const std::string& utf8) {
    // Literal text is UTF-8 and becomes Shift-JIS; escaped bytes pass as they are.
    std::string out;
    std::string literal;
    auto flush = [&] {
        out += base::fromUtf8(literal);
        literal.clear();
    };
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        if (c != '\\' || i + 1 >= utf8.size()) {
            literal += c;
            continue;
        }
        flush();
        char e = utf8[++i];
        switch (e) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 'b':
            out += '\b';
            break;
        case 't':
            out += '\t';
            break;
        case 'x':
            out += static_cast<char>(std::stoi(utf8.substr(i + 1, 2), nullptr, 16));
            i += 2;
            break;
        default:
            out += e;
            break;
        }
    }
    flush();
    return out;
}

namespace {

std::string visible(const std::string& sjis) {
    std::string u = base::toUtf8(sjis);
    std::string out;
    for (char c : u) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\b')
            out += "\\b";
        else
            out += c;
    }
    return out;
}

} // namespace

std::vector<std::string> playTranscript(const std::string& path) {
    std::vector<std::string> failures;
    // The transcript with its includes spliced in, each line with where it came from.
    std::vector<std::pair<std::string, std::string>> script;
    std::function<bool(const std::string&)> load = [&](const std::string& file) {
        std::ifstream in(file);
        if (!in) {
            failures.push_back(file + ": cannot open");
            return false;
        }
        std::string l;
        int n = 0;
        while (std::getline(in, l)) {
            ++n;
            if (l.rfind("include ", 0) == 0) {
                std::string inc = std::filesystem::path(file).parent_path() / l.substr(8);
                if (!load(inc))
                    return false;
                continue;
            }
            script.emplace_back(file + ":" + std::to_string(n), l);
        }
        return true;
    };
    if (!load(path))
        return failures;
    auto h = std::make_unique<EngineHarness>();
    base::Lines mac;
    size_t statusSeen = 0;
    std::string where;
    auto fail = [&](const std::string& what) { failures.push_back(where + ": " + what); };
    for (auto& [at, text] : script) {
        where = at;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.empty() || text[0] == '#')
            continue;
        std::string word = text.substr(0, text.find(' '));
        std::string arg = text.size() > word.size() ? text.substr(word.size() + 1) : "";
        std::string sarg = transcriptText(arg);
        if (word == "set") {
            std::string field = arg.substr(0, arg.find(' '));
            std::string value = arg.size() > field.size() ? arg.substr(field.size() + 1) : "";
            if (value == "\"\"")
                value.clear();
            value = transcriptText(value);
            if (field == "tel")
                h->nets.setField(0, shell::kTelNo, value);
            else if (field == "init")
                h->modems[0].initCommand = value;
            else if (field == "prefix")
                h->modems[0].dialPrefix = value;
            else if (field == "wait")
                h->modems[0].redialWait = std::stoi(value);
            else if (field == "digit")
                h->modems[0].appendDigit = value == "on";
            else if (field == "line")
                h->port.network = value == "network";
            else if (field == "open")
                h->port.openResult = value != "fail";
            else
                fail("unknown setting " + field);
        } else if (word == "mac") {
            mac.push_back(sarg);
        } else if (word == "start") {
            if (!mac.empty())
                h->setMacro(mac);
            h->start();
        } else if (word == "<") {
            h->receive(sarg);
        } else if (word == ">") {
            std::string rest = h->port.unconsumed();
            if (rest.compare(0, sarg.size(), sarg) != 0) {
                fail("expected to be sent \"" + visible(sarg) + "\", sent \"" + visible(rest) +
                     "\"");
                h->port.consumed = h->port.sent.size();
            } else {
                h->port.consumed += sarg.size();
            }
        } else if (word == "quiet") {
            if (!h->port.unconsumed().empty())
                fail("expected nothing sent, sent \"" + visible(h->port.unconsumed()) + "\"");
        } else if (word == "tick") {
            h->ticks(std::stoi(arg));
        } else if (word == "wait") {
            h->loop.advance(std::stoll(arg));
        } else if (word == "carrier") {
            h->model.Comm1CommEvent(arg == "on");
        } else if (word == "press") {
            if (arg == "forced-end")
                h->model.Button2Click();
            else
                fail("unknown button " + arg);
        } else if (word == "status") {
            bool found = false;
            for (; statusSeen < h->view.statuses.size(); ++statusSeen)
                if (h->view.statuses[statusSeen] == sarg) {
                    found = true;
                    ++statusSeen;
                    break;
                }
            if (!found)
                fail("status \"" + arg + "\" not shown (last: \"" +
                     visible(h->view.statuses.empty() ? "" : h->view.statuses.back()) + "\")");
        } else if (word == "nostatus") {
            if (h->statusSeen(sarg))
                fail("status \"" + arg + "\" was shown");
        } else if (word == "error") {
            bool found = false;
            for (const auto& l : h->errors.lines())
                if (base::endsWith(l, sarg))
                    found = true;
            if (!found)
                fail("no error-log line ends with \"" + arg + "\"");
        } else if (word == "noerror") {
            if (!h->errors.lines().empty())
                fail("error log has \"" + visible(h->errors.lines().front()) + "\"");
        } else if (word == "running" || word == "ended") {
            bool wantRunning = word == "running";
            if (h->model.running() != wantRunning)
                fail(std::string("run is ") + (h->model.running() ? "running" : "over"));
            if (!wantRunning && h->host.importedWritePointer < 0)
                fail("the capture was not handed to the import");
        } else if (word == "outcome") {
            static const std::pair<const char*, engine::RunOutcome> names[] = {
                {"completed", engine::RunOutcome::Completed},
                {"lost", engine::RunOutcome::LineLost},
                {"timedout", engine::RunOutcome::TimedOut},
                {"openfailed", engine::RunOutcome::OpenFailed},
                {"forced", engine::RunOutcome::Forced},
                {"tablefull", engine::RunOutcome::TableFull},
                {"nohangup", engine::RunOutcome::NoHangUp}};
            const char* got = "none";
            bool known = false;
            for (const auto& [name, o] : names) {
                if (h->model.outcome() == o)
                    got = name;
                known = known || arg == name;
            }
            if (!known)
                fail("unknown outcome \"" + arg + "\"");
            else if (arg != got)
                fail(std::string("the run ended as ") + got);
        } else if (word == "line") {
            int n = std::stoi(arg);
            std::string want = transcriptText(
                arg.substr(arg.find(' ') == std::string::npos ? arg.size() : arg.find(' ') + 1));
            if (h->model.line(n) != want)
                fail("line " + std::to_string(n) + " is \"" + visible(h->model.line(n)) + "\"");
        } else if (word == "capture" || word == "nocapture") {
            base::Lines cap;
            try {
                cap = base::readLines(h->dir.file("VESPARI.LOG"));
            } catch (const base::FileError&) {
            }
            bool has = false;
            for (const auto& l : cap)
                has = has || l == sarg;
            if (has != (word == "capture"))
                fail("VESPARI.LOG " + std::string(has ? "holds" : "lacks") + " \"" + arg + "\"");
        } else if (word == "netmac" || word == "nonetmac") {
            base::Lines mac;
            try {
                mac = base::readLines(h->dir.file("NET1/NET.MAC"));
            } catch (const base::FileError&) {
            }
            bool has = false;
            for (const auto& l : mac)
                has = has || l == sarg;
            if (has != (word == "netmac"))
                fail("NET.MAC " + std::string(has ? "holds" : "lacks") + " \"" + arg + "\"");
        } else if (word == "reserve") {
            if (h->macro.reserve().ReserveCount() != std::stoi(arg))
                fail("reservation list has " + std::to_string(h->macro.reserve().ReserveCount()) +
                     " lines");
        } else if (word == "macro") {
            if (h->model.MacroPointer() != std::stoi(arg))
                fail("command pointer is " + std::to_string(h->model.MacroPointer()));
        } else {
            fail("unknown directive " + word);
        }
    }
    return failures;
}

} // namespace engine_test
