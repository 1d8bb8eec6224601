#include "app/CommandLine.h"

#include <gtest/gtest.h>

using app::CommandLine;

TEST(CommandLine, Options) {
    EXPECT_EQ(CommandLine::parse({}).action, CommandLine::Action::Run);
    EXPECT_EQ(CommandLine::parse({}).dataDir, "");
    EXPECT_EQ(CommandLine::parse({"--data-dir", "/x/y"}).dataDir, "/x/y");
    EXPECT_EQ(CommandLine::parse({"--data-dir=/z"}).dataDir, "/z");
    EXPECT_EQ(CommandLine::parse({"--data-dir", "a", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(CommandLine::parse({"--version"}).action, CommandLine::Action::Version);

    CommandLine missing = CommandLine::parse({"--data-dir"});
    EXPECT_EQ(missing.action, CommandLine::Action::Error);
    EXPECT_NE(missing.error.find("--data-dir"), std::string::npos);
    CommandLine empty = CommandLine::parse({"--data-dir="});
    EXPECT_EQ(empty.action, CommandLine::Action::Error);
    CommandLine unknown = CommandLine::parse({"--colour"});
    EXPECT_EQ(unknown.action, CommandLine::Action::Error);
    EXPECT_NE(unknown.error.find("--colour"), std::string::npos);
    // The usage names every option the parser takes.
    for (const char* opt : {"--data-dir", "--help", "--version"})
        EXPECT_NE(CommandLine::usage().find(opt), std::string::npos) << opt;
}
