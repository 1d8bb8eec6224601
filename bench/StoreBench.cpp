// The board store: the import of a full line table (155,000 lines of host output, made of
// many runs' worth of board lists, member lists, new messages on many boards, new files,
// list downloads and mail) against reading and splitting the same capture file into lines;
// and the reorganisation of a board of 9,999 articles against reading and splitting its
// file.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "bench/Bench.h"
#include "shell/NetList.h"
#include "store/ConvModel.h"
#include "store/LogEditModel.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using base::sj;

std::string four(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%04d", n);
    return b;
}
std::string two(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}

// One run's worth of host output, as the auto-pilot's commands bring it in.
void oneRun(base::Lines& out, int run) {
    const std::string prompt = sj(u8"MAIN (残り60分)>");
    out.push_back("CONNECT 9600");
    out.push_back("User ID  = TARNO001");
    out.push_back("Password = ");
    out.push_back(sj(u8"未読のメールが 1 通あります [RET]:読む>"));
    out.push_back("Private Message is from: TARNO002 " + sj(u8"はなこ"));
    out.push_back("Time: 26/12/06 08:00:00");
    out.push_back(sj(u8"Subj: 今度のオフ会 ") + std::to_string(run));
    for (int i = 0; i < 8; ++i)
        out.push_back(sj(u8"はなこです。今度のオフ会は 12 月 20 日です。") + std::to_string(i));
    out.push_back(sj(u8"このメールを削除しますか (Y/N)>Y"));
    out.push_back(prompt + "r;?;0");
    out.push_back(sj(u8"メッセージボード一覧"));
    for (int b = 1; b <= 30; ++b)
        out.push_back("00" + two(b) + ": BOARD" + two(b) + sj(u8"  話題のボード"));
    out.push_back(prompt + "f;?;0");
    out.push_back(sj(u8"ファイルボード一覧"));
    for (int b = 1; b <= 10; ++b)
        out.push_back("00" + two(b) + ": FILES" + two(b) + sj(u8"  ファイル置き場"));
    out.push_back(prompt + "U");
    out.push_back(sj(u8"検索するID (RET:全員)>"));
    out.push_back(std::string(42, '-'));
    for (int m = 1; m <= 200; ++m)
        out.push_back((m < 100 ? " " : "") + std::to_string(m) + "  TARNO" + four(m) + "  " +
                      sj(u8"ハンドル"));
    out.push_back("");
    out.push_back(prompt + "N@");
    out.push_back(sj(u8"日付が 26/12/05 00:00:00 以降のものを読みます。"));
    for (int b = 1; b <= 30; ++b) {
        out.push_back("00" + two(b) + ": BOARD" + two(b) + sj(u8" の新着メッセージ 8件"));
        for (int a = 0; a < 8; ++a) {
            const int number = (run * 8 + a) % 9999 + 1;
            out.push_back("Message  #" + four(number) + "   from: TARNO0003 " + sj(u8"じろう"));
            out.push_back("Time: 26/12/05 21:15:00  Section " + two(b) + ": BOARD" + two(b));
            out.push_back(sj(u8"Subj: Re:0002) はじめまして"));
            for (int l = 0; l < 12; ++l)
                out.push_back(sj(u8"じろうです。こちらこそよろしく。ソフト、ポイント、表示の行 ") +
                              std::to_string(l));
        }
    }
    out.push_back(prompt + "FN");
    for (int b = 1; b <= 10; ++b) {
        out.push_back("00" + two(b) + ": FILES" + two(b) + sj(u8" を検索中..."));
        for (int f = 1; f <= 5; ++f)
            out.push_back("00" + std::to_string(f) + ": FILE" + std::to_string(f) +
                          ".LZH     3000 26/12/05 TARNO005 " + sj(u8"便利な通信ツール"));
    }
    out.push_back(prompt);
    out.push_back(prompt + "R;01;L;1;0;0");
    out.push_back(sj(u8"ボード 01 BOARD01 の一覧 (1 番から)"));
    for (int a = 1; a <= 100; ++a)
        out.push_back(four(a) + ": 26/12/01 10:00 SYSOP    " + sj(u8"話題 ") + std::to_string(a));
    out.push_back(prompt + "Q");
    out.push_back(sj(u8"ご利用ありがとうございました。"));
}

double seconds(const std::function<void()>& fn) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tarno-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        return 1;
    {
        const std::string dir = tmpl;
        base::VirtualLoop loop;
        shell::NetList nets(dir, {"B", "BENCH", "999", "0", "ID", "PW", "H", "KTBBS", "", ""});
        base::ErrorLog errors(dir + "/ERROR.LOG");
        store::LogEditModel logEdit(loop, errors, dir);
        store::ImportHost host;
        store::ConvModel conv({loop, nets, logEdit, errors, host, dir});

        // The capture: runs until the line table is full.
        base::Lines capture;
        for (int run = 0; capture.size() < 155000; ++run)
            oneRun(capture, run);
        capture.resize(155000);
        const std::string file = dir + "/CAPTURE.LOG";
        base::replaceLines(file, capture);

        double import = 1e300, split = 1e300;
        for (int r = 0; r < 5; ++r) {
            std::filesystem::remove_all(dir + "/BENCH");
            base::makeDirs(dir + "/BENCH");
            import = std::min(import, seconds([&] {
                conv.Conv(capture, static_cast<int>(capture.size()), 0);
        }));
        volatile size_t sink = 0;
        split = std::min(split, seconds([&] { sink = sink + base::readLines(file).size(); }));
    }
    bench::report("import_155000_lines", import * 1000, "ms", import / split);

    // A board of 9,999 articles, written in descending order with every tenth twice.
    base::Lines board;
    for (int n = 9999; n >= 1; --n) {
        for (int copy = 0; copy < (n % 10 == 0 ? 2 : 1); ++copy) {
            board.push_back("Message  #" + four(n) + "   from: TARNO0003 " + sj(u8"じろう"));
            board.push_back("Time: 26/12/05 21:15:00  Section 01: BOARD01");
            board.push_back(sj(u8"Subj: はじめまして"));
            for (int l = 0; l < 6; ++l)
                board.push_back(sj(u8"じろうです。こちらこそよろしく。") + std::to_string(l));
        }
    }
    const std::string dat = dir + "/BENCH/MBOARD01.DAT";
    double go = 1e300, read = 1e300;
    for (int r = 0; r < 5; ++r) {
        base::replaceLines(dat, board);
        logEdit.setNetFolder("BENCH");
        logEdit.Panel1 = "0001:";
        logEdit.CheckBox1 = false;
        go = std::min(go, seconds([&] { logEdit.go(); }));
        volatile size_t sink = 0;
        read = std::min(read, seconds([&] { sink = sink + base::readLines(dat).size(); }));
    }
    bench::report("reorganise_9999_articles", go * 1000, "ms", go / read);
}
std::filesystem::remove_all(tmpl);
return 0;
}
