#include "app/DataDir.h"
#include "base/LineFile.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::TempDir;

namespace {
// Restores an environment variable when the test ends.
struct EnvVar {
    std::string name;
    std::optional<std::string> old;
    EnvVar(const char* n, const char* value) : name(n) {
        if (const char* v = std::getenv(n))
            old = v;
        if (value)
            setenv(n, value, 1);
        else
            unsetenv(n);
    }
    ~EnvVar() {
        if (old)
            setenv(name.c_str(), old->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};
} // namespace

TEST(DataDir, ChoiceOrder) {
    EnvVar home("HOME", "/home/u");
    EnvVar xdg("XDG_DATA_HOME", nullptr);
    EnvVar tarno("TARNO_HOME", nullptr);
    EXPECT_EQ(app::chooseDataDir(""), "/home/u/.local/share/tarno");
    {
        EnvVar x("XDG_DATA_HOME", "/data");
        EXPECT_EQ(app::chooseDataDir(""), "/data/tarno");
        EnvVar t("TARNO_HOME", "/t");
        EXPECT_EQ(app::chooseDataDir(""), "/t");
        EXPECT_EQ(app::chooseDataDir("/cli"), "/cli");
    }
}

TEST(DataDir, StartingCopiesFillOnlyWhatIsMissing) {
    TempDir src, dst;
    base::replaceLines(src.file("NETLIST.NEW"), {"new"});
    base::replaceLines(src.file("TARNO_I2.NEW"), {"ini"});
    base::makeDirs(src.file("demo"));
    base::replaceLines(src.file("demo/x"), {"not a starting copy"});
    base::replaceLines(dst.file("TARNO_I2.NEW"), {"the user's"});

    auto copied = app::copyStartingCopies(src.path(), dst.path());
    EXPECT_EQ(copied, std::vector<std::string>{"NETLIST.NEW"});
    EXPECT_EQ(base::readLines(dst.file("NETLIST.NEW")), base::Lines{"new"});
    EXPECT_EQ(base::readLines(dst.file("TARNO_I2.NEW")), base::Lines{"the user's"});
    EXPECT_FALSE(base::dirExists(dst.file("demo")));
    EXPECT_TRUE(app::copyStartingCopies(src.path(), dst.path()).empty());
}

TEST(DataDir, EnteringCreatesTheFolderAndChangesIntoIt) {
    TempDir src, root;
    base::replaceLines(src.file("NETLIST.NEW"), {"new"});
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    const std::string dir = root.file("a/b/tarno");
    EXPECT_EQ(app::enterDataDir(dir, src.path()), "");
    char now[4096];
    ASSERT_NE(getcwd(now, sizeof now), nullptr);
    EXPECT_EQ(std::string(now), std::filesystem::canonical(dir).string());
    EXPECT_TRUE(base::fileExists("NETLIST.NEW"));
    EXPECT_EQ(base::readLines("COMPORTS.DAT"),
              (base::Lines{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"}));
    ASSERT_EQ(chdir(before), 0);

    base::replaceLines(root.file("file"), {"x"});
    EXPECT_NE(app::enterDataDir(root.file("file/sub"), src.path()), "");
}
