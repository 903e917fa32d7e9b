// Replays the seed corpus of the preset-loader fuzz target, so every normal test run exercises it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "../fuzz/preset_load_fuzz.h"

namespace pavo {
namespace {

TEST(PresetLoadFuzzCorpus, EverySeedRunsCleanly) {
    const std::filesystem::path corpus = std::filesystem::path(PAVO_SOURCE_DIR) / "tests/fuzz/preset_corpus";
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        fuzz::LoadPresetOnce(bytes.data(), bytes.size());  // aborts on a broken rule
        ++seeds;
    }
    EXPECT_GE(seeds, 6);
    ResetParameters();  // leave the model as the other tests expect it
}

}  // namespace
}  // namespace pavo
