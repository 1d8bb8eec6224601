#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (Debian's clang package) into fuzz/out/.
#   fuzz/build.sh && fuzz/out/import_fuzz -max_total_time=300 fuzz/corpus/import
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p fuzz/out
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I.)
clang++ "${flags[@]}" -o fuzz/out/import_fuzz fuzz/ImportFuzz.cpp \
    store/ConvModel.cpp store/LogEditModel.cpp store/StoreFiles.cpp shell/NetList.cpp \
    base/DateTime.cpp base/ErrorLog.cpp base/EventLoop.cpp base/LineFile.cpp base/Path.cpp \
    base/Sjis.cpp base/Text.cpp base/VirtualLoop.cpp
