// Whole runs of the engine against the simulated host, imported at their end: the store
// must hold what the host sent, line for line.
#include "tests/store/StoreRig.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace store_test;

const base::Lines kFullRun = {"SETKTBBS",   "DIAL{0}",          "LOGIN",
                              "MBOARD",     "FBOARD",           "NEWMESSAGE",
                              "NEWFILE",    "MEMBOR",           "MLISTDOWN : 01#1",
                              "FLISTDOWN : 01#1", "QUIT"};

TEST(WholeRun, Dump) {
    RunRig rig;
    ASSERT_TRUE(rig.run(kFullRun));
    for (int i = 0; i <= rig.runHost.writePointer; ++i)
        std::printf("%5d|%s\n", i, base::toUtf8(rig.runHost.lines[i]).c_str());
}

} // namespace
