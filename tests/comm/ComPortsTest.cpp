#include "comm/ComPorts.h"
#include "base/LineFile.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace comm;

TEST(ComPorts, FreshFolderGetsTheFourDefaultsAndAnEditedFileIsKept) {
    testing_support::TempDir dir;
    ensureComPortsFile(dir.path());
    EXPECT_EQ(base::readFile(dir.file("COMPORTS.DAT")),
              "/dev/ttyS0\r\n/dev/ttyS1\r\n/dev/ttyS2\r\n/dev/ttyS3\r\n");
    base::replaceLines(dir.file("COMPORTS.DAT"), {"/dev/ttyUSB0"});
    ensureComPortsFile(dir.path());
    EXPECT_EQ(base::readLines(dir.file("COMPORTS.DAT")), base::Lines{"/dev/ttyUSB0"});
}

TEST(ComPorts, EnvironmentWinsThenTheFileThenTheDefault) {
    ::unsetenv("TARNO_COM1");
    ::setenv("TARNO_COM2", "tcp:bbs.example:23", 1);
    ::setenv("TARNO_COM3", "", 1); // empty: does not count
    ::unsetenv("TARNO_COM4");
    testing_support::TempDir dir;
    EXPECT_EQ(comPortDevice(dir.path(), 1), "/dev/ttyS0"); // no file at all
    // A hand-edited file: blanks around a name, a blank line, a line too few.
    base::replaceLines(dir.file("COMPORTS.DAT"), {"  /dev/ttyUSB0 ", "/dev/ttyACM0", ""});
    EXPECT_EQ(comPortDevice(dir.path(), 1), "/dev/ttyUSB0");
    EXPECT_EQ(comPortDevice(dir.path(), 2), "tcp:bbs.example:23");
    EXPECT_EQ(comPortDevice(dir.path(), 3), "/dev/ttyS2");
    EXPECT_EQ(comPortDevice(dir.path(), 4), "/dev/ttyS3");
    EXPECT_EQ(comPortDevice(dir.path(), 0), "");
    EXPECT_EQ(comPortDevice(dir.path(), 5), "");
    ::unsetenv("TARNO_COM2");
    ::unsetenv("TARNO_COM3");
}
