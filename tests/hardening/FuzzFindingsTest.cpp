// Faults that fuzzing found, each with the smallest case that shows it.
#include "base/LineFile.h"
#include "shell/NetList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// A field holding a line break was saved as two lines, so every later field of the list
// (the next net's password among them) moved down by one when the list was read again.
TEST(FuzzFindings, ANetListFieldWithALineBreakStaysOneLineOfTheFile) {
    testing_support::TempDir dir;
    shell::NetList nets(dir.path());
    nets.addNew();
    nets.addNew();
    nets.setField(1, shell::kPassword, "secret");
    nets.setField(0, shell::kHandle, "two\r\nlines\rand\nmore");
    EXPECT_EQ(nets.field(0, shell::kHandle), "two  lines and more");
    nets.save();
    shell::NetList back(dir.path());
    ASSERT_EQ(back.load(), "");
    EXPECT_EQ(back.lines(), nets.lines());
    EXPECT_EQ(back.field(1, shell::kPassword), "secret");
}

} // namespace
