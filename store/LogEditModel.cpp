#include "store/LogEditModel.h"

#include "base/LineFile.h"
#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "store/StoreFiles.h"

namespace store {

using base::sj;

namespace {

constexpr int kTableSize = kMaxArticle + 1;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

LogEditModel::LogEditModel(base::EventLoop& loop, base::ErrorLog& errors, std::string baseFolder)
    : loop_(loop), errors_(errors), base_(std::move(baseFolder)), caption_(sj(u8"ログの整理")) {}

std::string LogEditModel::Label3Text() {
    return sj(
        u8"重複する番号のアーティクルは\r\nファイルの後ろのアーテイクル\r\nが優先され１つになり"
        u8"ます。");
}

void LogEditModel::FormShow(const std::string& netFolder, const std::string& boardLine) {
    netFolder_ = netFolder;
    if (boardLine.empty())
        return;
    const std::string nn = boardNumberOf(boardLine);
    Panel1 = boardLine;
    Edit4 = netFolder_ + "\\" + boardFileName(nn, ".OLD");
    caption_ = sj(u8"ログの整理 [") + netFolder_ + "\\" + boardFileName(nn, ".DAT") + " ]";
}

std::string LogEditModel::path(const std::string& nn, const char* ext) const {
    return base::joinPath(base_, base::nativePath(netFolder_ + "\\" + boardFileName(nn, ext)));
}

LogEditModel::Result LogEditModel::fail(const std::string& text) {
    lastError_ = text;
    errors_.add(base::ErrorLog::stamped(loop_.localNow(), text));
    return Result::Failed;
}

LogEditModel::Result LogEditModel::go() {
    lastError_.clear();
    const std::string nn = boardNumberOf(Panel1);
    if (nn.size() != 2 || !isDigit(nn[0]) || !isDigit(nn[1]))
        return Result::NoFile;
    const std::string datPath = path(nn, ".DAT");
    const int board = (nn[0] - '0') * 10 + (nn[1] - '0');
    if (!base::fileExists(datPath))
        return Result::NoFile;

    // The removal range is checked before anything is read or written.
    int from = 0, to = 0, keep = 0;
    if (CheckBox1) {
        // A field that is not a number is refused as it stands: no stand-in value may
        // decide how many articles are deleted.
        if (RadioButton2) {
            const auto n = base::strToInt(Edit3);
            if (!n) {
                lastError_ = sj(u8"残すアーティクルの数が数字ではありません．実行しませんでした．");
                return Result::BadRange;
            }
            keep = *n;
            if (keep < 0) {
                lastError_ = sj(u8"範囲指定がおかしいです.");
                return Result::BadRange;
            }
        } else {
            const auto f = base::strToInt(Edit1), t = base::strToInt(Edit2);
            if (!f || !t) {
                lastError_ = sj(u8"削除する範囲が数字ではありません．実行しませんでした．");
                return Result::BadRange;
            }
            from = *f;
            to = *t;
            if (from < 0 || from > to) {
                lastError_ = sj(u8"範囲指定がおかしいです.");
                return Result::BadRange;
            }
        }
    }

    std::string bytes;
    base::Lines lines;
    try {
        bytes = base::readFile(datPath);
        lines = base::splitLines(bytes);
    } catch (const base::FileError& e) {
        return fail(sj(u8"ログの整理: 読み込めません: ") + e.what());
    }

    // Each article as the range of file lines it spans, by number (an article's lines
    // stand together in the file); entry 0 holds what stands before the first header.
    // Articles with a header that gives no number are kept aside in `unnumbered`.
    struct Span {
        size_t begin = 0, end = 0;
        bool empty() const { return begin == end; }
    };
    std::vector<Span> table(kTableSize);
    std::vector<Span> unnumbered;
    Span* current = &table[0];
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (beginsArticle(lines, i, board)) {
            const int n = articleNumberOf(line);
            if (n > 0) {
                current = &table[static_cast<size_t>(n)];
            } else {
                unnumbered.emplace_back();
                current = &unnumbered.back();
                errors_.add(base::ErrorLog::stamped(
                    loop_.localNow(), sj(u8"ログの整理: ") + boardFileName(nn, ".DAT") +
                                          sj(u8" の ") + std::to_string(i + 1) +
                                          sj(u8" 行目の見出しに番号がありません．")));
            }
            // A later copy of an article replaces an earlier one.
            *current = Span{i, i};
        }
        current->end = i + 1;
    }
    auto text = [&lines](const Span& span, std::string& out) {
        for (size_t i = span.begin; i < span.end; ++i) {
            out += lines[i];
            out += "\r\n";
        }
    };

    std::string removed;
    if (CheckBox1) {
        if (RadioButton2) {
            int count = 0, k = 0;
            for (int n = kMaxArticle; n >= 1; --n) {
                if (table[static_cast<size_t>(n)].empty())
                    continue;
                if (++count > keep) {
                    k = n;
                    break;
                }
            }
            Edit1 = "0";
            Edit2 = std::to_string(k);
            from = 0;
            to = k;
        }
        if (to > kMaxArticle) {
            to = kMaxArticle;
            Edit2 = std::to_string(kMaxArticle);
        }
        for (int n = from; n <= to; ++n) {
            Span& entry = table[static_cast<size_t>(n)];
            if (CheckBox2)
                text(entry, removed);
            entry = Span{};
        }
    }

    // What leaves the message file is appended to the save file first, so a failure after
    // that can only leave an article in both files, never in none.
    const bool saving = CheckBox1 && CheckBox2;
    if (saving || !unnumbered.empty()) {
        for (const Span& span : unnumbered)
            text(span, removed);
        try {
            AppendFile save;
            save.open(path(nn, ".OLD"));
            save.raw(removed);
            save.close();
        } catch (const base::FileError& e) {
            return fail(sj(u8"ログの整理: 保存ファイルに書き込めません: ") + e.what());
        }
    }

    std::string out;
    size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    out.reserve(size);
    for (int n = 1; n <= kMaxArticle; ++n)
        text(table[static_cast<size_t>(n)], out);
    // A board that is in order already (new articles arrive with higher numbers) is left
    // as it is.
    if (out == bytes)
        return Result::Done;
    try {
        base::replaceFile(datPath, out);
    } catch (const base::FileError& e) {
        return fail(sj(u8"ログの整理: 書き込めません: ") + e.what());
    }
    return Result::Done;
}

} // namespace store
