#include "writers/WriterText.h"

#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"

namespace writers {

using base::sj;

std::string beforeFirstSpace(std::string_view s) {
    const size_t blank = s.find(' ');
    return std::string(blank == std::string_view::npos ? s : s.substr(0, blank));
}

std::string afterFirstSpace(std::string_view s) {
    const size_t blank = s.find(' ');
    return blank == std::string_view::npos ? std::string() : std::string(s.substr(blank + 1));
}

base::Lines bodyFromText(std::string_view text) {
    return base::splitLines(text);
}

std::string textFromBody(const base::Lines& lines) {
    return base::joinLines(lines);
}

base::Lines splitInnerBreaks(const base::Lines& lines) {
    base::Lines out;
    out.reserve(lines.size());
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") == std::string::npos) {
            out.push_back(line);
            continue;
        }
        // A break inside a line ends it; CR LF counts as one break.
        std::string cur;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c != '\r' && c != '\n') {
                cur += c;
                continue;
            }
            if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
                ++i;
            out.push_back(std::move(cur));
            cur.clear();
        }
        out.push_back(std::move(cur));
    }
    return out;
}

base::Lines quoteMessage(std::string_view text) {
    base::Lines lines = base::splitLines(text);
    const bool endsWithBreak = !text.empty() && (text.back() == '\n' || text.back() == '\r');
    lines.erase(lines.begin(), lines.begin() + std::min<std::ptrdiff_t>(3, lines.size()));
    for (std::string& line : lines)
        line.insert(0, ">");
    if (endsWithBreak)
        lines.emplace_back(">");
    return lines;
}

Addressee addresseeOf(std::string_view firstLine) {
    const int from = base::pos("from:", firstLine);
    if (from == 0)
        return {};
    const std::string both = cutBytes(base::copyFrom(firstLine, from + 6), 80);
    return {beforeFirstSpace(both), cutBytes(afterFirstSpace(both), 80)};
}

std::string storedPath(std::string_view path) {
    std::string out(path);
    for (size_t i = 0; i < out.size(); ++i) {
        if (base::isLeadByte(out[i]) && i + 1 < out.size())
            ++i;
        else if (out[i] == '/')
            out[i] = '\\';
    }
    return out;
}

namespace {

bool hasControl(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

// "「" + field + "」" + what is wrong.
std::string fieldWarning(const char8_t* field, const char8_t* what) {
    return sj(u8"「") + sj(field) + sj(u8"」") + sj(what);
}

} // namespace

std::optional<std::string> checkBoard(std::string_view board) {
    if (board.empty())
        return fieldWarning(u8"ボード", u8"が空です．");
    if (board.find_first_of(":#;") != std::string_view::npos || hasControl(board))
        return fieldWarning(u8"ボード", u8"に「:」「#」「;」や制御文字は使えません．");
    return std::nullopt;
}

std::optional<std::string> checkAddressee(std::string_view id, bool binary) {
    if (id.empty())
        return fieldWarning(u8"宛先ID", u8"が空です．");
    if (id.find_first_of(binary ? ":#;" : ":#") != std::string_view::npos || hasControl(id))
        return binary ? fieldWarning(u8"宛先ID", u8"に「:」「#」「;」や制御文字は使えません．")
                      : fieldWarning(u8"宛先ID", u8"に「:」「#」や制御文字は使えません．");
    return std::nullopt;
}

std::optional<std::string> checkReplyNumber(std::string_view number) {
    bool digits = !number.empty() && static_cast<int>(number.size()) <= kMaxNumber;
    for (char c : number)
        digits = digits && c >= '0' && c <= '9';
    if (!digits)
        return fieldWarning(u8"レス番号", u8"は 5 桁までの数字でなくてはなりません．");
    return std::nullopt;
}

std::optional<std::string> checkNewTitle(std::string_view title) {
    if (title.find(';') != std::string_view::npos || hasControl(title))
        return fieldWarning(u8"タイトル", u8"に「;」や制御文字は使えません．");
    if (static_cast<int>(title.size()) > kMaxTitle)
        return fieldWarning(u8"タイトル", u8"が長すぎます（半角 50 文字まで）．");
    return std::nullopt;
}

std::optional<std::string> checkMailTitle(std::string_view title) {
    if (hasControl(title))
        return fieldWarning(u8"タイトル", u8"に制御文字は使えません．");
    if (static_cast<int>(title.size()) > kMaxTitle)
        return fieldWarning(u8"タイトル", u8"が長すぎます（半角 50 文字まで）．");
    return std::nullopt;
}

std::optional<std::string> checkUploadComment(std::string_view comment) {
    if (base::findDelimiter(comment, '|') != 0 || base::findDelimiter(comment, ';') != 0 ||
        hasControl(comment))
        return fieldWarning(u8"コメント", u8"に「|」「;」や制御文字は使えません．");
    return std::nullopt;
}

std::optional<std::string> checkPath(std::string_view path) {
    if (path.empty())
        return fieldWarning(u8"ファイル名", u8"が空です．");
    if (hasControl(path))
        return fieldWarning(u8"ファイル名", u8"に制御文字は使えません．");
    if (static_cast<int>(path.size()) > kMaxPath)
        return fieldWarning(u8"ファイル名", u8"のパスが長すぎます（半角 128 文字まで）．");
    return std::nullopt;
}

bool fileNameFits(std::string_view path) {
    return static_cast<int>(base::fileNamePart(path).size()) <= kMaxFileName;
}

} // namespace writers
