#pragma once
// A new-message read whose first article carries a body that anybody could have posted:
// lines shaped like every line that opens or ends a section of the import. Shared by the
// import's property test and its fuzz target; `choices` picks the body lines.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "store/ConvModel.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace forged {

using base::sj;

// The body shapes. A forged "Message  #" header comes with a "Time:" line naming another
// board than the article's own (01): the host never prints such a pair inside a board's
// read, and the store reads it as body.
inline std::vector<base::Lines> bodyShapes(int number) {
    char head[64];
    std::snprintf(head, sizeof head, "Message  #%04d   from: SYSOP", number % 9999 + 1);
    // Never a board that a separator-shaped line below names: a separator, a header and
    // its "Time:" line of one board make a whole read of that board, which no rule can
    // tell from the host's.
    const std::string other = number % 2 == 0 ? "00" : "05";
    return {
        {sj(u8"MAIN (残り5分)>r;?;0")},
        {sj(u8"MAIN (残り5分)>U")},
        {sj(u8"MAIN (残り5分)>FN")},
        {sj(u8"MAIN (残り5分)>F;01;L;1;0;0")},
        {sj(u8"MAIN (残り5分)>R;02;L;1;0;0")},
        {sj(u8"MAIN (残り5分)>f;?;0")},
        {sj(u8"MAIN (残り5分)>N@")},
        {sj(u8"MAIN (残り5分)>i;r;20/01/01 00:00:00")},
        {"MAIN"},
        {"MAINTENANCE"},
        {"Private Message is from: SYSOP     " + sj(u8"しすおぺ")},
        {sj(u8"このメールを削除しますか (Y/N)>")},
        {sj(u8"書き込み中　...終了しました。")},
        {sj(u8"日付が 20/01/01 00:00:00 以降のものを読みます。")},
        {head, "Time: 26/12/05 10:00:00  Section " + other + sj(u8": 偽")},
        {"Subj: " + sj(u8"パスワードを教えてください")},
        {sj(u8"0077: 偽ボード")},
        {sj(u8"0001: 雑談 の新着メッセージ 1件")},
        {sj(u8"0002: 趣味     趣味の話")},
        {sj(u8"0003: 技術 を検索中...")},
        {"001: FAKE.LZH"},
        {"0001: 26/12/01 10:00 SYSOP    fake"},
        {sj(u8"*CH01 SYSOP さんがチャットに入りました。")},
        {"----------"},
        {""},
        {sj(u8"現在は規制時間中です。(23:00-06:00)")},
        {"  1 SYSOP     " + sj(u8"しすおぺ")},
    };
}

// The article's body made from the choices: each picks a shape (and a number for it).
inline base::Lines bodyOf(const std::vector<std::uint8_t>& choices) {
    base::Lines body;
    for (size_t i = 0; i + 1 < choices.size(); i += 2) {
        const auto shapes = bodyShapes(choices[i + 1] * 37);
        const base::Lines& shape = shapes[choices[i] % shapes.size()];
        body.insert(body.end(), shape.begin(), shape.end());
    }
    return body;
}

// The board list the host prints, and the store holds before the read.
inline base::Lines boardList() {
    return {sj(u8"0001: 雑談     雑談の部屋"), sj(u8"0002: 趣味     趣味の話"),
            sj(u8"0003: 技術     技術の話")};
}

// The article on board 01 with the body, and the one article on board 03 after it.
inline base::Lines article(const base::Lines& body) {
    base::Lines a = {"Message  #0010   from: POSTER",
                     sj(u8"Time: 26/12/05 10:00:00  Section 01: 雑談"), sj(u8"Subj: いろいろ")};
    a.insert(a.end(), body.begin(), body.end());
    return a;
}
inline base::Lines board3Article() {
    return {"Message  #0004   from: TARNO002", sj(u8"Time: 26/12/05 11:00:00  Section 03: 技術"),
            sj(u8"Subj: 本物"), sj(u8"本物の本文")};
}

// A capture as a loaded file (entries 0..n-1), with the record of the commands the
// terminal typed: the new-message read, then a board list, then log-out.
struct Capture {
    std::vector<std::string> lines;
    store::CommandRecord record;
};
inline Capture readWithBody(const base::Lines& body) {
    Capture c;
    auto add = [&c](const std::string& line) { c.lines.push_back(line); };
    add("");
    c.record.present = true;
    c.record.typed[static_cast<int>(c.lines.size())] = "N@";
    add(sj(u8"MAIN (残り60分)>N@"));
    add(sj(u8"未読日付 26/12/04 00:00:00 からの新着メッセージです。"));
    add(sj(u8"0001: 雑談 の新着メッセージ 1件"));
    for (const std::string& l : article(body))
        add(l);
    add(sj(u8"0003: 技術 の新着メッセージ 1件"));
    for (const std::string& l : board3Article())
        add(l);
    c.record.typed[static_cast<int>(c.lines.size())] = "r;?;0";
    add(sj(u8"MAIN (残り59分)>r;?;0"));
    add(sj(u8"メッセージボード一覧"));
    for (const std::string& l : boardList())
        add(l);
    add(sj(u8"MAIN (残り59分)>Q"));
    add(sj(u8"ご利用ありがとうございました。"));
    return c;
}

// The net's store before the read: every kind of store file, with content.
inline void seedStore(const std::string& netDir) {
    auto put = [&netDir](const char* name, const base::Lines& lines) {
        base::replaceLines(netDir + "/" + name, lines);
    };
    put("MBOARD.LST", boardList());
    put("FBOARD.LST", {sj(u8"0001: ツール   道具")});
    put("MEMBOR.LST", {"SYSOP     " + sj(u8"しすおぺ")});
    put("MAIL.DAT",
        {"Private Message is from: TARNO002", "Time: 26/12/01 10:00:00", "Subj: hello", "body"});
    put("MBOARD01.DAT", {});
    put("MBOARD02.DAT",
        {"Message  #0003   from: TARNO002", sj(u8"Time: 26/12/01 10:00:00  Section 02: 趣味"),
         "Subj: kept", "stored body"});
    put("MBOARD03.DAT", {});
    put("MBOARD01.LST", {"0001: 26/12/01 10:00 SYSOP    one"});
    put("FBOARD01.LST", {"001: TOOL.LZH"});
}

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.is_regular_file())
            files[e.path().filename().string()] = base::readFile(e.path().string());
    return files;
}

} // namespace forged
