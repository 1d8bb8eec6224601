#include "shell/SettingsFile.h"

#include "base/Sjis.h"
#include "base/Text.h"

namespace shell {
namespace {

std::string cutName(const std::string& name) {
    if (name.size() <= static_cast<size_t>(kFontNameMax))
        return name;
    int end = kFontNameMax;
    // Do not keep the first half of a double-byte character.
    if (base::isTrailByteAt(name, end + 1))
        --end;
    return name.substr(0, static_cast<size_t>(end));
}

// Walks the file line by line, stopping for good at the first line it cannot use.
class Reader {
public:
    Reader(const base::Lines& lines, SettingsReadResult& result) : lines_(lines), r_(result) {}

    const std::string* next() {
        if (!r_.complete)
            return nullptr;
        if (index_ >= lines_.size()) {
            fail(static_cast<int>(index_) + 1, base::sj(u8"行目で終わっています。"));
            return nullptr;
        }
        return &lines_[index_++];
    }

    bool number(int& out) {
        const std::string* line = next();
        if (!line)
            return false;
        auto n = base::strToInt(*line);
        if (!n) {
            fail(lineNo(), base::sj(u8"行目 '") + *line + base::sj(u8"' は数値ではありません。"));
            return false;
        }
        out = *n;
        return true;
    }

    bool flag(bool& out) {
        int n;
        if (!number(n))
            return false;
        out = n != 0;
        return true;
    }

    bool text(std::string& out) {
        const std::string* line = next();
        if (line)
            out = *line;
        return line != nullptr;
    }

    bool font(DisplayFont& out) {
        const std::string* line = next();
        if (!line)
            return false;
        if (base::contains(*line, "FONT_V0") && !parseFontLine(*line, out)) {
            fail(lineNo(), base::sj(u8"行目のフォントを読めません。"));
            return false;
        }
        return true;
    }

    bool skip() { return next() != nullptr; }

private:
    int lineNo() const { return static_cast<int>(index_); }

    void fail(int line, const std::string& what) {
        r_.complete = false;
        r_.badLine = line;
        r_.error = base::sj(u8"設定ファイル ") + kSettingsFile + base::sj(u8" の ") +
                   std::to_string(line) + what + base::sj(u8"ここから後の設定は初期値のままです。");
    }

    const base::Lines& lines_;
    SettingsReadResult& r_;
    size_t index_ = 0;
};

} // namespace

std::string fontLine(const DisplayFont& font) {
    return "@\\a" + cutName(font.name) + "\\b" + std::to_string(font.size) + "\\c" +
           colorToString(font.color) + "\\d FONT_V0";
}

bool parseFontLine(const std::string& line, DisplayFont& font) {
    int a = base::pos("\\a", line);
    int b = base::pos("\\b", line);
    int c = base::pos("\\c", line);
    int d = base::pos("\\d", line);
    if (a == 0 || b < a || c < b || d < c)
        return false;
    auto size = base::strToInt(base::copy(line, b + 2, c - b - 2));
    auto color = stringToColor(base::copy(line, c + 2, d - c - 2));
    if (!size || !color)
        return false;
    font.name = base::copy(line, a + 2, b - a - 2);
    font.size = *size;
    font.color = *color;
    return true;
}

SettingsReadResult applySettingsLines(const base::Lines& lines, SettingsFileData& data) {
    SettingsReadResult result;
    Reader in(lines, result);
    // Each step applies its line only when it could be read; a failure stops the chain.
    if (!in.flag(data.browseNew) || !in.flag(data.browseAll) || !in.flag(data.treeView))
        return result;
    for (auto& f : data.fonts)
        if (!in.font(f))
            return result;
    for (int i = 0; i < 4; ++i)
        if (!in.skip())
            return result;
    for (auto& m : data.modems) {
        if (!in.flag(m.appendDigit) || !in.text(m.dialPrefix) || !in.text(m.initCommand) ||
            !in.number(m.redialWait) || !in.number(m.port) || !in.number(m.baudRate) ||
            !in.text(m.name) || !in.skip() || !in.skip() || !in.skip())
            return result;
    }
    return result; // the end marker is not needed
}

base::Lines settingsLines(const SettingsFileData& data) {
    base::Lines out;
    out.push_back(data.browseNew ? "1" : "0");
    out.push_back(data.browseAll ? "1" : "0");
    out.push_back(data.treeView ? "1" : "0");
    for (const auto& f : data.fonts)
        out.push_back(fontLine(f));
    for (int i = 0; i < 4; ++i)
        out.push_back("0");
    for (const auto& m : data.modems) {
        out.push_back(m.appendDigit ? "1" : "0");
        out.push_back(m.dialPrefix);
        out.push_back(m.initCommand);
        out.push_back(std::to_string(m.redialWait));
        out.push_back(std::to_string(m.port));
        out.push_back(std::to_string(m.baudRate));
        out.push_back(m.name);
        out.push_back("0");
        out.push_back("0");
        out.push_back("0");
    }
    out.push_back("END_OF_TARNO_INI");
    return out;
}

} // namespace shell
