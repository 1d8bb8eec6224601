// Every host session under tests/data/engine, played against the terminal model.
#include "tests/engine/Transcript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

std::vector<std::string> transcripts() {
    std::vector<std::string> out;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(TARNO_SOURCE_DIR) + "/tests/data/engine"))
        if (e.path().extension() == ".txt")
            out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

class Transcript : public ::testing::TestWithParam<std::string> {};

TEST_P(Transcript, Plays) {
    for (const auto& f : engine_test::playTranscript(GetParam()))
        ADD_FAILURE() << f;
}

std::string caseName(const ::testing::TestParamInfo<std::string>& info) {
    std::string n = std::filesystem::path(info.param).stem().string();
    std::replace_if(
        n.begin(), n.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
        '_');
    return n;
}

INSTANTIATE_TEST_SUITE_P(Sessions, Transcript, ::testing::ValuesIn(transcripts()), caseName);

} // namespace
