#include "writers/TextStyleModel.h"

#include "base/Path.h"
#include "base/Sjis.h"

#include <utility>

namespace writers {

using base::sj;

base::Lines expandStyle(const base::Lines& tmpl, const StyleValues& v, const std::string& date,
                        const std::string& time) {
    auto value = [&](char code) -> const std::string* {
        switch (code) {
        case 'H':
            return &v.MeHandle;
        case 'I':
            return &v.MeID;
        case 'h':
            return &v.ComHandle;
        case 'i':
            return &v.ComID;
        case 'X':
            return &v.ResNo;
        case 'D':
            return &date;
        case 'T':
            return &time;
        default:
            return nullptr;
        }
    };
    base::Lines out;
    out.reserve(tmpl.size() + 1);
    for (const std::string& line : tmpl) {
        std::string r;
        bool percent = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (!percent) {
                if (c == '%')
                    percent = true;
                else
                    r += c;
                continue;
            }
            percent = false;
            if (base::isLeadByte(c)) {
                ++i; // the whole character goes, never only its first byte
                continue;
            }
            if (const std::string* s = value(c))
                r += *s;
        }
        out.push_back(std::move(r));
    }
    out.emplace_back();
    return out;
}

base::Lines builtInTemplate() {
    return {"",
            std::string(41, ' '),
            "",
            std::string(30, ' ') + std::string(21, '-'),
            std::string(32, ' ') + "%H %I" + std::string(11, ' '),
            std::string(32, ' ') + "%D %T",
            std::string(30, ' ') + std::string(21, '-')};
}

base::Lines styleLegend() {
    return {sj(u8"%H  自分のハンドル    %I  自分のID"), sj(u8"%h  相手のハンドル    %i  相手のID"),
            sj(u8"%D  日付   %T  時間  %X  元発言 No."), sj(u8"最初３行がヘッダです。")};
}

TextStyleModel::TextStyleModel(base::EventLoop& loop, TextStyleHost& host, std::string folder)
    : loop_(loop), host_(host), folder_(std::move(folder)),
      memo1_(builtInTemplate()), values_{sj(u8"一太郎"), "ABCD0123", sj(u8"ワードプロ"), "ABCD0321",
                                         "1234"} {
    expand();
}

std::string TextStyleModel::fileName(int style) {
    return "TXTSTY" + std::to_string(style) + ".dat";
}

void TextStyleModel::notify() {
    if (view_)
        view_->styleChanged();
}

void TextStyleModel::setValues(const StyleValues& v) {
    values_ = v;
    notify();
}

void TextStyleModel::setMemo1(const base::Lines& lines) {
    if (lines == memo1_)
        return;
    memo1_ = lines;
    edited_ = true;
    expand();
}

void TextStyleModel::expand() {
    const base::LocalDateTime now = loop_.localNow();
    memo4_ = expandStyle(memo1_, values_, base::shortDate(now), base::longTime(now));
    notify();
}

bool TextStyleModel::save() {
    // Only what came from this style's file, or what the user typed, goes back into it.
    if (loadedFrom_ != styleNo_ && !edited_)
        return true;
    try {
        base::replaceLines(base::joinPath(folder_, fileName(styleNo_)), memo1_);
    } catch (const base::FileError& e) {
        host_.warn(sj(u8"テキストのスタイルを保存できませんでした．\n") + e.what());
        return false;
    }
    loadedFrom_ = styleNo_;
    edited_ = false;
    return true;
}

bool TextStyleModel::load(int style) {
    base::Lines lines; // a missing file is an empty template
    const std::string path = base::joinPath(folder_, fileName(style));
    try {
        if (base::dirExists(path))
            throw base::FileError(path + ": is a folder");
        base::readLinesIfExists(path, lines);
    } catch (const base::FileError& e) {
        host_.warn(sj(u8"テキストのスタイルを読み込めません．\n") + e.what());
        return false;
    }
    memo1_ = std::move(lines);
    loadedFrom_ = style;
    edited_ = false;
    expand();
    return true;
}

void TextStyleModel::check(Style s) {
    if (s == checked_)
        return;
    const int n = static_cast<int>(s);
    if (save() && load(n)) {
        styleNo_ = n;
        checked_ = s;
    } else {
        checked_ = static_cast<Style>(styleNo_);
    }
    notify();
}

void TextStyleModel::FormShow() {
    styleNo_ = static_cast<int>(checked_);
    shown_ = true;
    host_.setMainAndMacroEnabled(false);
    // Shown again while open, the user's unsaved edits go into their file first.
    if (checked_ == Style::New && (!edited_ || save()))
        load(0);
    expand();
    host_.showStyleDialog();
}

bool TextStyleModel::close() {
    if (!save() && !host_.askYesNo(sj(u8"テキストのスタイルを保存せずに閉じますか．")))
        return false;
    shown_ = false;
    host_.setMainAndMacroEnabled(true);
    host_.hideStyleDialog();
    notify();
    return true;
}

} // namespace writers
