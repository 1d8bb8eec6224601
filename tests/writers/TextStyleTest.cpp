// Style expansion with every % code, and the dialog's saving and loading of the four
// style files.
#include "tests/writers/WriterFixture.h"

#include <gtest/gtest.h>

using writers::expandStyle;
using writers::Style;
using writers::StyleValues;
using writers_test::sj;

namespace {

const StyleValues kValues{"Nick", "ABCD0123", sj(u8"花子"), "EFGH0456", "0123"};

base::Lines expand(const base::Lines& tmpl) {
    return expandStyle(tmpl, kValues, "26/12/08", "09:05:07");
}

} // namespace

TEST(StyleExpansion, EveryCodeIsReplacedByItsValue) {
    EXPECT_EQ(
        expand({"%H|%I|%h|%i|%X|%D|%T"}),
        (base::Lines{"Nick|ABCD0123|" + sj(u8"花子") + "|EFGH0456|0123|26/12/08|09:05:07", ""}));
    // The worked example: 32 spaces, then handle and ID.
    EXPECT_EQ(expand({std::string(32, ' ') + "%H %I"}),
              (base::Lines{std::string(32, ' ') + "Nick ABCD0123", ""}));
}

TEST(StyleExpansion, APercentSwallowsTheByteAfterItAndCaseMatters) {
    EXPECT_EQ(expand({"%%H"}), (base::Lines{"H", ""}));
    EXPECT_EQ(expand({"end%"}), (base::Lines{"end", ""}));
    EXPECT_EQ(expand({"%x%d%t%Z100%"}), (base::Lines{"100", ""}));
    // The flag does not run over into the next line.
    EXPECT_EQ(expand({"a%", "Hb"}), (base::Lines{"a", "Hb", ""}));
}

TEST(StyleExpansion, APercentBeforeADoubleByteCharacterTakesTheWholeCharacter) {
    // ポ is 0x83 0x7C; its trail byte "|" must not survive on its own.
    EXPECT_EQ(expand({sj(u8"%ポイント")}), (base::Lines{sj(u8"イント"), ""}));
    EXPECT_EQ(expand({sj(u8"ア%ソ%H")}), (base::Lines{sj(u8"ア") + "Nick", ""}));
}

TEST(StyleExpansion, ATemplateGivesOneLinePerLineAndOneEmptyLine) {
    EXPECT_EQ(expand({}), (base::Lines{""}));
    EXPECT_EQ(expand({"one"}), (base::Lines{"one", ""}));
    const base::Lines built = expand(writers::builtInTemplate());
    ASSERT_EQ(built.size(), 8u);
    EXPECT_EQ(built[1], std::string(41, ' '));
    EXPECT_EQ(built[4], std::string(32, ' ') + "Nick ABCD0123" + std::string(11, ' '));
    EXPECT_EQ(built[5], std::string(32, ' ') + "26/12/08 09:05:07");
    EXPECT_EQ(built[7], "");
}

TEST(StyleExpansion, TheShippedStylesAreTheBuiltInTemplate) {
    for (int i = 0; i < writers::kStyleCount; ++i)
        EXPECT_EQ(base::readLines(std::string(TARNO_SOURCE_DIR) + "/data/" +
                                  writers::TextStyleModel::fileName(i)),
                  writers::builtInTemplate())
            << i;
}

TEST(TextStyleDialog, ShowingDisablesTheMainWindowsAndExpandsWithTheValuesAndTheTime) {
    writers_test::WriterFixture f;
    base::replaceLines(f.dir.file("TXTSTY0.dat"), {"%H/%D %T"});
    f.styles.setValues(kValues);
    f.styles.FormShow();
    EXPECT_TRUE(f.styles.shown());
    EXPECT_EQ(f.styleHost.calls, (std::vector<std::string>{"disable", "show"}));
    EXPECT_EQ(f.styles.memo4(), (base::Lines{"Nick/26/12/08 09:05:07", ""}));
    // Values alone do not expand again; an edit does.
    f.styles.values().MeHandle = "Other";
    EXPECT_EQ(f.styles.memo4().front(), "Nick/26/12/08 09:05:07");
    f.loop.advance(60'000);
    f.styles.setMemo1({"%H %T"});
    EXPECT_EQ(f.styles.memo4().front(), "Other 09:06:07");
    EXPECT_TRUE(f.styles.close());
    EXPECT_FALSE(f.styles.shown());
    EXPECT_EQ(f.styleHost.calls, (std::vector<std::string>{"disable", "show", "enable", "hide"}));
    // Closing saved the edit into style 0's file.
    EXPECT_EQ(base::readLines(f.dir.file("TXTSTY0.dat")), (base::Lines{"%H %T"}));
}

TEST(TextStyleDialog, SwitchingSavesTheStyleShownBeforeLoadingTheNext) {
    writers_test::WriterFixture f;
    base::replaceLines(f.dir.file("TXTSTY1.dat"), {"one"});
    base::replaceLines(f.dir.file("TXTSTY2.dat"), {"two"});
    f.styles.check(Style::RES);
    EXPECT_EQ(f.styles.StyleNo(), 1);
    EXPECT_EQ(f.styles.Memo1(), (base::Lines{"one"}));
    f.styles.setMemo1({"one edited"});
    f.styles.check(Style::Mail);
    EXPECT_EQ(base::readLines(f.dir.file("TXTSTY1.dat")), (base::Lines{"one edited"}));
    EXPECT_EQ(f.styles.Memo1(), (base::Lines{"two"}));
    EXPECT_EQ(f.styles.StyleNo(), 2);
    // Checking the button already checked reloads nothing.
    f.styles.setMemo1({"two edited"});
    f.styles.check(Style::Mail);
    EXPECT_EQ(f.styles.Memo1(), (base::Lines{"two edited"}));
}

TEST(TextStyleDialog, TheBuiltInTemplateNeverOverwritesAStoredStyle) {
    writers_test::WriterFixture f;
    base::replaceLines(f.dir.file("TXTSTY0.dat"), {"my own signature"});
    // Right after start-up Memo1 holds the built-in template under style 0.
    EXPECT_EQ(f.styles.Memo1(), writers::builtInTemplate());
    f.styles.check(Style::OMAKE);
    f.styles.check(Style::New);
    EXPECT_EQ(base::readLines(f.dir.file("TXTSTY0.dat")), (base::Lines{"my own signature"}));
    EXPECT_EQ(f.styles.Memo1(), (base::Lines{"my own signature"}));
}

TEST(TextStyleDialog, AFailedLoadKeepsTheStyleNumberSoNoStyleIsWrittenIntoAnother) {
    writers_test::WriterFixture f;
    base::replaceLines(f.dir.file("TXTSTY1.dat"), {"reply style"});
    base::removeFile(f.dir.file("TXTSTY2.dat"));
    ASSERT_TRUE(base::makeDirs(f.dir.file("TXTSTY2.dat"))); // cannot be read as a file
    f.styles.check(Style::RES);
    f.styles.check(Style::Mail);
    EXPECT_EQ(f.styleHost.warnings.size(), 1u);
    EXPECT_EQ(f.styles.StyleNo(), 1);
    EXPECT_EQ(f.styles.checked(), Style::RES);
    EXPECT_EQ(f.styles.Memo1(), (base::Lines{"reply style"}));
    f.styles.setMemo1({"reply style, edited"});
    f.styles.FormShow();
    EXPECT_TRUE(f.styles.close());
    EXPECT_EQ(base::readLines(f.dir.file("TXTSTY1.dat")), (base::Lines{"reply style, edited"}));
}

TEST(TextStyleDialog, AMissingStyleFileIsAnEmptyTemplate) {
    writers_test::WriterFixture f;
    base::removeFile(f.dir.file("TXTSTY3.dat"));
    f.styles.check(Style::OMAKE);
    EXPECT_EQ(f.styles.StyleNo(), 3);
    EXPECT_TRUE(f.styles.Memo1().empty());
    EXPECT_EQ(f.styles.memo4(), (base::Lines{""}));
}

TEST(TextStyleDialog, AFailedSaveOnCloseLetsTheUserStay) {
    writers_test::WriterFixture f;
    base::removeFile(f.dir.file("TXTSTY0.dat"));
    ASSERT_TRUE(base::makeDirs(f.dir.file("TXTSTY0.dat"))); // nothing can be written there
    f.styles.FormShow();
    f.styles.setMemo1({"edited"});
    f.styleHost.answer = false;
    EXPECT_FALSE(f.styles.close());
    EXPECT_TRUE(f.styles.shown());
    EXPECT_EQ(f.styles.Memo1(), (base::Lines{"edited"}));
    f.styleHost.answer = true;
    EXPECT_TRUE(f.styles.close());
    EXPECT_FALSE(f.styles.shown());
    EXPECT_EQ(f.styleHost.calls.back(), "hide");
}
