// The board file reorganiser: order, duplicates, keeping the newest N, removing a range,
// the save file, and headers that give no article number.
#include "tests/store/StoreRig.h"

#include "base/Text.h"

#include <gtest/gtest.h>

namespace {

using namespace store_test;

// One article's block: header, time, subject, one body line naming the copy.
base::Lines article(int number, const std::string& copy = "") {
    char head[64];
    std::snprintf(head, sizeof head, "Message  #%04d   from: TARNO00%d", number, number % 10);
    return {head, "Time: 26/12/05 10:00:00  Section 07: x", "Subj: s" + std::to_string(number),
            "body " + std::to_string(number) + copy};
}

struct Board : ImportRig {
    Board() { logEdit.FormShow("NET1", sj(u8"0007: 雑談     なんでも")); }
    void write(std::initializer_list<base::Lines> articles) {
        base::Lines all;
        for (const base::Lines& a : articles)
            all.insert(all.end(), a.begin(), a.end());
        base::replaceLines(net("MBOARD07.DAT"), all);
    }
    static base::Lines join(std::initializer_list<base::Lines> articles) {
        base::Lines all;
        for (const base::Lines& a : articles)
            all.insert(all.end(), a.begin(), a.end());
        return all;
    }
};

TEST(LogEdit, DuplicatesKeepTheLaterCopyInAscendingOrder) {
    Board b;
    b.logEdit.CheckBox1 = false;
    b.write({{"text before the first header"}, article(5, "a"), article(3), article(5, "b")});
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(b.read("MBOARD07.DAT"), Board::join({article(3), article(5, "b")}));
    EXPECT_FALSE(base::fileExists(b.net("MBOARD07.OLD")));
    // Putting a board in order twice changes nothing.
    const std::string once = base::readFile(b.net("MBOARD07.DAT"));
    b.logEdit.go();
    EXPECT_EQ(base::readFile(b.net("MBOARD07.DAT")), once);
}

TEST(LogEdit, KeepingTheNewestN) {
    // Keep 500 of 420: nothing but entry 0 is in the removal range.
    Board many;
    base::Lines all;
    for (int n = 1; n <= 420; ++n) {
        base::Lines a = article(n);
        all.insert(all.end(), a.begin(), a.end());
    }
    base::replaceLines(many.net("MBOARD07.DAT"), all);
    EXPECT_EQ(many.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(many.read("MBOARD07.DAT"), all);
    EXPECT_EQ(many.logEdit.Edit2, "0");
    EXPECT_TRUE(many.read("MBOARD07.OLD").empty());

    // Keep 2 of 1, 2, 7, 9: 1 and 2 go to the save file, 7 and 9 stay.
    Board b;
    base::replaceLines(b.net("MBOARD07.OLD"), {"earlier save"});
    b.write({article(9), article(1), article(7), article(2)});
    b.logEdit.Edit3 = "2";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(b.logEdit.Edit1, "0");
    EXPECT_EQ(b.logEdit.Edit2, "2");
    EXPECT_EQ(b.read("MBOARD07.DAT"), Board::join({article(7), article(9)}));
    EXPECT_EQ(b.read("MBOARD07.OLD"), Board::join({{"earlier save"}, article(1), article(2)}));
}

TEST(LogEdit, RemovingARange) {
    Board b;
    b.write({{"before"}, article(9), article(10), article(15), article(20), article(21)});
    b.logEdit.RadioButton2 = false;
    b.logEdit.CheckBox2 = false;
    b.logEdit.Edit1 = "10";
    b.logEdit.Edit2 = "20";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(b.read("MBOARD07.DAT"), Board::join({article(9), article(21)}));
    EXPECT_FALSE(base::fileExists(b.net("MBOARD07.OLD"))) << "saving unticked: no trace";

    // From 0 with saving ticked: the text before the first header goes to the save file;
    // a To past the table becomes 9999.
    Board c;
    c.write({{"before"}, article(3), article(9999)});
    c.logEdit.RadioButton2 = false;
    c.logEdit.Edit1 = "0";
    c.logEdit.Edit2 = "20000";
    EXPECT_EQ(c.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(c.logEdit.Edit2, "9999");
    EXPECT_TRUE(c.read("MBOARD07.DAT").empty());
    EXPECT_EQ(c.read("MBOARD07.OLD"), Board::join({{"before"}, article(3), article(9999)}));
}

// A field that is not a number never turns into a number of its own: 実行 is refused
// with a text that says which field, and a very large "keep" keeps everything.
TEST(LogEdit, AFieldThatIsNotANumberIsRefusedAndNeverBecomesZero) {
    Board b;
    b.write({article(2), article(1)});
    const std::string before = base::readFile(b.net("MBOARD07.DAT"));
    for (const char* typed : {"", "x", "5x", "99999999999"}) {
        b.logEdit.Edit3 = typed;
        EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::BadRange) << typed;
        EXPECT_EQ(b.logEdit.Edit3, typed);
        EXPECT_EQ(b.logEdit.lastError(),
                  sj(u8"残すアーティクルの数が数字ではありません．実行しませんでした．"));
    }
    b.logEdit.RadioButton2 = false;
    b.logEdit.Edit1 = "1";
    for (const char* typed : {"", "abc"}) {
        b.logEdit.Edit2 = typed;
        EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::BadRange) << typed;
        EXPECT_EQ(b.logEdit.lastError(),
                  sj(u8"削除する範囲が数字ではありません．実行しませんでした．"));
    }
    EXPECT_EQ(base::readFile(b.net("MBOARD07.DAT")), before);
    EXPECT_FALSE(base::fileExists(b.net("MBOARD07.OLD")));

    b.logEdit.RadioButton2 = true;
    b.logEdit.Edit3 = "99999";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(b.read("MBOARD07.DAT"), Board::join({article(1), article(2)}));
}

TEST(LogEdit, ARangeThatMakesNoSenseChangesNothing) {
    Board b;
    b.write({article(2), article(1)});
    const std::string before = base::readFile(b.net("MBOARD07.DAT"));
    b.logEdit.RadioButton2 = false;
    for (auto [from, to] : {std::pair{"20", "10"}, std::pair{"-5", "10"}}) {
        b.logEdit.Edit1 = from;
        b.logEdit.Edit2 = to;
        EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::BadRange) << from;
        EXPECT_EQ(b.logEdit.lastError(), sj(u8"範囲指定がおかしいです."));
    }
    b.logEdit.RadioButton2 = true;
    b.logEdit.Edit3 = "-1";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::BadRange);
    EXPECT_EQ(base::readFile(b.net("MBOARD07.DAT")), before);
    EXPECT_FALSE(base::fileExists(b.net("MBOARD07.OLD")));

    // A board without a message file, or a board field without a number: nothing at all.
    b.logEdit.Panel1 = "0042: none";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::NoFile);
    b.logEdit.Panel1 = "00/.";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::NoFile);
}

TEST(LogEdit, AHeaderWithoutANumberIsSetAsideNotLost) {
    Board b;
    b.logEdit.CheckBox1 = false;
    base::Lines bad = {"Message  #12x4   from: X", "Time: broken", "body of a damaged article"};
    base::Lines wide = {"Message  #12345   from: Y", "body of article 12345"};
    b.write({article(4), bad, article(2), wide});
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(b.read("MBOARD07.DAT"), Board::join({article(2), article(4)}));
    EXPECT_EQ(b.read("MBOARD07.OLD"), Board::join({bad, wide}));
    EXPECT_EQ(b.errors.lines().size(), 2u);
}

TEST(LogEdit, AFailedRewriteKeepsTheBoardFile) {
    Board b;
    b.write({article(2), article(1)});
    const std::string before = base::readFile(b.net("MBOARD07.DAT"));
    // The save file cannot be opened (a folder stands there): the board is not rewritten.
    base::makeDirs(b.net("MBOARD07.OLD"));
    b.logEdit.Edit3 = "1";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::Failed);
    EXPECT_EQ(base::readFile(b.net("MBOARD07.DAT")), before);
    EXPECT_EQ(b.errors.lines().size(), 1u);
}

} // namespace

TEST(LogEdit, ARangeOfOneArticleRemovesJustThatOne) {
    Board b;
    b.write({article(9), article(10), article(11)});
    b.logEdit.RadioButton2 = false;
    b.logEdit.Edit1 = "10";
    b.logEdit.Edit2 = "10";
    EXPECT_EQ(b.logEdit.go(), store::LogEditModel::Result::Done);
    EXPECT_EQ(b.read("MBOARD07.DAT"), Board::join({article(9), article(11)}));
    EXPECT_EQ(b.read("MBOARD07.OLD"), article(10));
}
