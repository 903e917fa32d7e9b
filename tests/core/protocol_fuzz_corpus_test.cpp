// Replays the seed corpus of the FeedBytes fuzz target, so every normal test run exercises it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "../fuzz/feed_bytes_fuzz.h"

namespace pavo {
namespace {

TEST(FeedBytesFuzzCorpus, EverySeedRunsCleanly) {
    const std::filesystem::path corpus = std::filesystem::path(PAVO_SOURCE_DIR) / "tests/fuzz/corpus";
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        fuzz::FeedBytesOnce(bytes.data(), bytes.size());  // aborts if the assembler leaves its record
        ++seeds;
    }
    EXPECT_GE(seeds, 10);
}

}  // namespace
}  // namespace pavo
