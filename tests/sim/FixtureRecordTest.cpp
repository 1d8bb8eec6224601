// Loading fixture folders (the demo set and broken ones), host date parsing, and the
// session record as a text file.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/Fixture.h"
#include "tests/sim/SimClient.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using base::sj;
using simtest::SimClient;
using testing_support::TempDir;

namespace {

void writeSjis(const TempDir& dir, const std::string& name, const std::u8string& utf8) {
    base::replaceFile(dir.file(name), base::replaceAll(base::sj(utf8), "\n", "\r\n"));
}

std::string errorOf(const std::string& dir) {
    try {
        sim::loadFixture(dir);
    } catch (const sim::FixtureError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Fixture, DemoDataSetLoadsWithItsBoardsFilesMembersAndMail) {
    sim::DataSet d = simtest::demoData();
    EXPECT_EQ(d.user.id, "TARNO001");
    EXPECT_EQ(d.user.password, "tarno");
    EXPECT_EQ(d.user.handle, sj(u8"たーの"));
    EXPECT_EQ(sim::hostDateTime(d.user.unreadDate), "26/12/05 00:00:00");
    EXPECT_TRUE(d.restrictedAt(23));
    EXPECT_TRUE(d.restrictedAt(5));
    EXPECT_FALSE(d.restrictedAt(6));
    ASSERT_EQ(d.boards.size(), 3u);
    EXPECT_EQ(d.boards[0].name, sj(u8"雑談"));
    EXPECT_FALSE(d.boards[2].writable);
    ASSERT_EQ(d.boards[0].articles.size(), 4u);
    const sim::Article& a = d.boards[0].articles[2];
    EXPECT_EQ(a.replyTo, 2);
    EXPECT_EQ(a.body.size(), 2u); // the separating empty line is not part of the body
    EXPECT_EQ(d.board(sj(u8"パソコン")), &d.boards[1]);
    EXPECT_EQ(d.board("02"), &d.boards[1]);
    EXPECT_EQ(d.board("9"), nullptr);
    ASSERT_EQ(d.fileBoards.size(), 2u);
    EXPECT_EQ(d.fileBoards[0].files[0].content,
              base::readFile(simtest::demoDir() + "/FB01/README.TXT"));
    EXPECT_EQ(d.fileBoards[0].files[1].content.size(), 3000u);
    EXPECT_EQ(d.fileBoards[0].files[2].content.size(), 1024u);
    EXPECT_EQ(d.fileBoards[1].files[0].content.size(), 0u);
    EXPECT_EQ(d.members.size(), 6u);
    EXPECT_EQ(d.handleOf("tarno002"), sj(u8"はなこ"));
    ASSERT_EQ(d.mail.size(), 2u);
    EXPECT_FALSE(d.mail[0].binary);
    EXPECT_TRUE(d.mail[1].binary);
    EXPECT_EQ(d.mail[1].content, sim::generatedContent(2048));
}

TEST(Fixture, BlockBodiesKeepStarsAndDoubleByteBarsAreNotSeparators) {
    TempDir dir;
    writeSjis(dir, "HOST.TXT", u8"User=ME\nPassword=x\n");
    writeSjis(dir, "MBOARDS.TXT", u8"; comment\n7|ポスト|ポ|ポ ボード|\n");
    writeSjis(dir, "MB07.TXT",
              u8"ignored before the first block\n*ARTICLE 3\nFrom: ME\n"
              u8"Date: 96/08/10 12:00\nSubject: s\n\n**star\nline\n\n\n");
    sim::DataSet d = sim::loadFixture(dir.path());
    ASSERT_EQ(d.boards.size(), 1u);
    EXPECT_EQ(d.boards[0].number, 7);
    EXPECT_EQ(d.boards[0].name, sj(u8"ポスト"));
    EXPECT_EQ(d.boards[0].title, sj(u8"ポ"));
    ASSERT_EQ(d.boards[0].articles.size(), 1u);
    EXPECT_EQ(d.boards[0].articles[0].body, (base::Lines{"*star", "line"}));
    EXPECT_EQ(sim::hostDateTime(d.boards[0].articles[0].date), "96/08/10 12:00:00");
}

TEST(Fixture, BrokenFilesAreRefusedNamingFileAndLine) {
    TempDir dir;
    EXPECT_NE(errorOf(dir.path()).find("HOST.TXT: missing"), std::string::npos);
    writeSjis(dir, "HOST.TXT", u8"User=ME\nColour=red\n");
    EXPECT_NE(errorOf(dir.path()).find("HOST.TXT:2: unknown key"), std::string::npos);
    writeSjis(dir, "HOST.TXT", u8"User=ME\n");
    writeSjis(dir, "MBOARDS.TXT", u8"1|two words|t|\n");
    EXPECT_NE(errorOf(dir.path()).find("MBOARDS.TXT:1:"), std::string::npos);
    writeSjis(dir, "MBOARDS.TXT", u8"1|one|t|\n");
    writeSjis(dir, "MB01.TXT", u8"*ARTICLE 1\nFrom: ME\nDate: 2026/02/30 10:00:00\nSubject: s\n");
    EXPECT_NE(errorOf(dir.path()).find("MB01.TXT:1: bad date"), std::string::npos);
    writeSjis(dir, "MB01.TXT", u8"");
    writeSjis(dir, "FBOARDS.TXT", u8"1|f|t|\n");
    writeSjis(dir, "FB01.TXT", u8"*FILE 1\nName: NONE.DAT\nFrom: ME\nDate: 26/12/01 00:00\n");
    EXPECT_NE(errorOf(dir.path()).find("no \"Size:\""), std::string::npos);
}

TEST(HostDates, TwoAndFourDigitYearsOptionalSecondsAndNonsense) {
    EXPECT_EQ(sim::hostDateTime(*sim::parseHostDateTime("96/08/10 12:00:00")), "96/08/10 12:00:00");
    EXPECT_EQ(sim::parseHostDateTime("96/08/10 12:00:00")->year, 1996);
    EXPECT_EQ(sim::parseHostDateTime("2026/1/2 3:04")->minute, 4);
    EXPECT_EQ(sim::parseHostDateTime(" 26/12/08 ")->hour, 0);
    for (const char* bad :
         {"", "26/12", "26/12/08 25:00", "26-12-08", "26/12/08 1:2:3:4", "26/02/29", "x26/12/08"})
        EXPECT_FALSE(sim::parseHostDateTime(bad)) << bad;
}

TEST(Record, TextFileEscapesControlBytesAndKeepsDoubleByteCharactersWhole) {
    std::string bytes = "A\r\n\b\\" + sj(u8"ソ") + std::string("\x01\xff", 2);
    EXPECT_EQ(sim::escapeBytes(bytes), "A\\r\\n\\b\\\\" + sj(u8"ソ") + "\\x01\\xFF");

    SimClient c;
    c.loginToMenu();
    c.command("ER;01;2;Y\rhello\r//\rS\r");
    c.command("i;r\r26/12/06 12:00:00\r0\r");
    std::string text = c.sim.record().toText();
    EXPECT_NE(text.find("DIAL 0312345678 -> CONNECT 9600\r\n"), std::string::npos);
    EXPECT_NE(text.find("LOGIN TARNO001\r\n"), std::string::npos);
    EXPECT_NE(text.find("POST reply board=01 (1) to=2 saved=yes article=5\r\n"), std::string::npos);
    EXPECT_NE(text.find("  | hello\r\n"), std::string::npos);
    EXPECT_NE(text.find("UNREAD 26/12/06 12:00:00\r\n"), std::string::npos);
    EXPECT_NE(text.find("* carrier on\r\n"), std::string::npos);
    EXPECT_NE(text.find("< ATZ\\r\\n\r\n"), std::string::npos);

    // The transcript holds every byte, with times that only move forward.
    const sim::SessionRecord& r = c.sim.record();
    EXPECT_EQ(r.fromTerminal().substr(0, 5), "ATZ\r\n");
    EXPECT_NE(r.toTerminal().find("CONNECT 9600"), std::string::npos);
    for (size_t i = 1; i < r.transcript.size(); ++i)
        EXPECT_LE(r.transcript[i - 1].ms, r.transcript[i].ms);
    EXPECT_EQ(r.transcript.front().ms, 0);
    EXPECT_GE(r.transcript.back().ms, 2000); // the dial alone takes two seconds
}

TEST(FixtureSave, WhatASessionLeftIsReadBackTheSame) {
    testing_support::TempDir dir;
    sim::DataSet d = sim::loadFixture(std::string(TARNO_SOURCE_DIR) + "/data/demo");
    // What sessions change: a new article whose body holds a block mark, a mail gone, the
    // dates moved.
    sim::Article a;
    a.number = d.boards[0].nextNumber();
    a.author = "TARNO001";
    a.date = {2026, 12, 8, 9, 30, 5, 0, 2};
    a.replyTo = 2;
    a.subject = base::sj(u8"Re: はじめまして");
    a.body = {"*ARTICLE 99", base::sj(u8"本文"), ""};
    d.boards[0].articles.push_back(a);
    d.mail.erase(d.mail.begin());
    d.user.unreadDate = {2026, 12, 8, 9, 0, 0, 0, 2};
    sim::saveFixture(d, dir.file("host"));

    const sim::DataSet back = sim::loadFixture(dir.file("host"));
    EXPECT_EQ(back.hostName, d.hostName);
    EXPECT_EQ(back.banner, d.banner);
    EXPECT_EQ(back.user.id, d.user.id);
    EXPECT_EQ(back.user.password, d.user.password);
    EXPECT_EQ(sim::hostDateTime(back.user.unreadDate), "26/12/08 09:00:00");
    EXPECT_EQ(back.restrictFromHour, d.restrictFromHour);
    ASSERT_EQ(back.boards.size(), d.boards.size());
    EXPECT_FALSE(back.boards[2].writable);
    const sim::Article& last = back.boards[0].articles.back();
    EXPECT_EQ(last.number, a.number);
    EXPECT_EQ(last.replyTo, 2);
    EXPECT_EQ(last.subject, a.subject);
    // Trailing empty lines only separate blocks; the block mark stays text.
    EXPECT_EQ(last.body, (base::Lines{"*ARTICLE 99", base::sj(u8"本文")}));
    EXPECT_EQ(sim::hostDateTime(last.date), "26/12/08 09:30:05");
    ASSERT_EQ(back.fileBoards.size(), d.fileBoards.size());
    for (size_t i = 0; i < d.fileBoards.size(); ++i) {
        ASSERT_EQ(back.fileBoards[i].files.size(), d.fileBoards[i].files.size());
        for (size_t j = 0; j < d.fileBoards[i].files.size(); ++j) {
            EXPECT_EQ(back.fileBoards[i].files[j].name, d.fileBoards[i].files[j].name);
            EXPECT_TRUE(back.fileBoards[i].files[j].content == d.fileBoards[i].files[j].content);
        }
    }
    ASSERT_EQ(back.mail.size(), 1u);
    EXPECT_TRUE(back.mail[0].binary);
    EXPECT_TRUE(back.mail[0].content == d.mail[0].content);
    EXPECT_EQ(back.members.size(), d.members.size());
}
