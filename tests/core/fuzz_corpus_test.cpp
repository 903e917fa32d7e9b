// Replays the seed corpora of the fuzz targets, so every normal test run exercises them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "../fuzz/feed_bytes_fuzz.h"
#include "../fuzz/field_value_fuzz.h"
#include "../fuzz/preset_import_fuzz.h"
#include "../fuzz/preset_load_fuzz.h"

namespace pavo {
namespace {

struct Corpus {
    const char* folder;
    void (*once)(const uint8_t*, size_t);  // aborts on a broken rule
    int fewestSeeds;
};

TEST(FuzzCorpus, EverySeedOfEveryTargetRunsCleanly) {
    const Corpus corpora[] = {
        {"tests/fuzz/corpus", &fuzz::FeedBytesOnce, 10},
        {"tests/fuzz/preset_corpus", &fuzz::LoadPresetOnce, 6},
        {"tests/fuzz/preset_corpus", &fuzz::ImportPresetOnce, 6},
        {"tests/fuzz/value_corpus", &fuzz::FieldValueOnce, 30},
    };
    for (const Corpus& c : corpora) {
        SCOPED_TRACE(c.folder);
        int seeds = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(PAVO_SOURCE_DIR) / c.folder)) {
            SCOPED_TRACE(entry.path().filename().string());
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            c.once(bytes.data(), bytes.size());
            ++seeds;
        }
        EXPECT_GE(seeds, c.fewestSeeds);
    }
}

}  // namespace
}  // namespace pavo
