#include "shell/NetList.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace shell;
using testing_support::TempDir;

namespace {
base::Lines net(const std::string& name) {
    return {name, name + "DIR", "03-1234-5678", "1", "ID", "PW", "H", "KTBBS", "9", "10"};
}
base::Lines concat(std::initializer_list<base::Lines> parts) {
    base::Lines out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
} // namespace

TEST(NetList, LoadsTheListOrItsStartingCopy) {
    TempDir dir;
    NetList list(dir.path());
    std::string error = list.load();
    EXPECT_NE(error, "");
    EXPECT_EQ(list.count(), 0);

    base::replaceLines(dir.file("NETLIST.NEW"), net("FIRST"));
    EXPECT_EQ(list.load(), "");
    EXPECT_EQ(list.names(), std::vector<std::string>{"FIRST"});

    base::replaceLines(dir.file("NETLIST.DAT"), concat({net("A"), net("B")}));
    EXPECT_EQ(list.load(), "");
    EXPECT_EQ(list.names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(list.field(1, kShortName), "BDIR");
    EXPECT_EQ(list.field(2, kShortName), "");
    EXPECT_EQ(list.field(0, 10), "");
}

TEST(NetList, SavesOnlyTheListFileWithPrivateMode) {
    TempDir dir;
    base::replaceLines(dir.file("NETLIST.NEW"), net("FIRST"));
    NetList list(dir.path());
    list.load();
    list.addNew();
    list.save();
    struct stat st;
    ASSERT_EQ(stat(dir.file("NETLIST.DAT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(base::readLines(dir.file("NETLIST.NEW")), net("FIRST")); // never written
    EXPECT_EQ(base::readFile(dir.file("NETLIST.DAT")),
              base::joinLines(concat({net("FIRST"), NetList::newNetLines()})));
    EXPECT_EQ(base::sj(u8"新規登録ネット") + "\r\nNEWNET\r\n999-999-9999\r\n0\r\n-USERID-\r\n"
                                             "QWERTYUI\r\nHANDLE\r\nKTBBS\r\n9\r\n10\r\n",
              base::joinLines(NetList::newNetLines()));
}

TEST(NetList, RemovingRenumbersTheNetsBehind) {
    NetList list(".", concat({net("A"), net("B"), net("C")}));
    list.remove(0);
    EXPECT_EQ(list.names(), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(list.field(0, kShortName), "BDIR");
    EXPECT_EQ(list.lines().size(), 20u);
    list.remove(5); // no such net
    EXPECT_EQ(list.count(), 2);
}

TEST(NetList, StrayLinesOfAHandEditedFileSurvive) {
    base::Lines lines = concat({net("A"), {"half", "a record"}});
    NetList list(".", lines);
    EXPECT_EQ(list.count(), 1);
    list.setField(1, kNetName, "nothing"); // not a net: ignored
    list.addNew();
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.field(1, kPassword), "QWERTYUI");
    EXPECT_EQ(list.lines().back(), "a record");
}

TEST(NetList, ListFilesThatExistButCannotBeReadKeepTheListFromBeingSaved) {
    struct Case {
        const char* what;
        std::function<void(const std::string& path)> make;
    };
    const std::vector<Case> cases = {
        {"a link that loops", [](const std::string& p) { ::symlink(p.c_str(), p.c_str()); }},
        {"a folder", [](const std::string& p) { base::makeDirs(p); }},
        {"no read permission", [](const std::string& p) { base::replaceLines(p, {"A"}, 0200); }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.file("NETLIST.DAT");
        c.make(path);
        if (c.what == cases[2].what && ::access(path.c_str(), R_OK) == 0)
            continue; // the superuser reads it anyway
        NetList list(dir.path());
        EXPECT_NE(list.load(), "") << c.what;
        list.addNew();
        EXPECT_THROW(list.save(), base::FileError) << c.what;
        NetList again(dir.path());
        EXPECT_NE(again.load(), "") << c.what; // still the same unreadable thing
    }
    // A list that simply is not there yet is no such case.
    TempDir dir;
    ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), dir.file("NETLIST.DAT").c_str()), 0);
    base::replaceLines(dir.file("NETLIST.NEW"), net("STARTER"));
    NetList list(dir.path());
    EXPECT_EQ(list.load(), "");
    EXPECT_EQ(list.count(), 1);
}
