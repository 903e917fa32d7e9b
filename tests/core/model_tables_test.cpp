// Code tables and conversions: the entries people and the unit rely on, and the nearest-code rules.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <optional>

#include "model/CodeTables.h"
#include "model/DataConver.h"

namespace pavo {
namespace {

TEST(CodeTables, GridFollowsTheRuleWithItsFourExceptions) {
    const auto& g = ResponseGrid();
    struct Case {
        int k;
        double hz;
    } cases[] = {{0, 10.0},  {1, 10.2},  {6, 11.3},  {35, 19.7},   {37, 20.5},  {116, 94},
                 {117, 95},  {118, 97},  {119, 99},  {120, 101},   {239, 1000}, {203, 500},
                 {131, 125}, {95, 62.5}, {59, 31.3}, {396, 20600}, {419, 32000}};
    for (const Case& c : cases) EXPECT_EQ(g[c.k], c.hz) << "grid point " << c.k;
    for (int k = 1; k < kGridPoints; ++k) EXPECT_LT(g[k - 1], g[k]) << k;
}

TEST(CodeTables, FrequencyTablesAreTheGridFromPoint35) {
    for (int c = 0; c < kFrequencyCodes; ++c) {
        EXPECT_EQ(FrequencyTable()[c], ResponseGrid()[c + 35]);
        EXPECT_EQ(CrossoverTable()[c], FrequencyTable()[c]);
    }
    EXPECT_EQ(FrequencyTable()[0], 19.7);
    EXPECT_EQ(FrequencyTable()[1], 20.1);
    EXPECT_EQ(FrequencyTable()[2], 20.5);
    EXPECT_EQ(FrequencyTable()[204], 1000);
    const double low[] = {94, 95, 97, 99, 101};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(FrequencyTable()[81 + i], low[i]);
    EXPECT_EQ(FrequencyTable()[361], 20600);
}

TEST(CodeTables, QTableEndpoints) {
    EXPECT_EQ(QTable()[0], 0.4);
    EXPECT_EQ(QTable()[10], 0.71);
    EXPECT_EQ(QTable()[16], 1.0);
    EXPECT_EQ(QTable()[100], 128.0);
    for (int c = 1; c < kQCodes; ++c) EXPECT_LT(QTable()[c - 1], QTable()[c]);
}

TEST(Conversions, NearestCodeRules) {
    struct Case {
        const char* what;
        int got, want;
    } cases[] = {
        {"1000 Hz", NearestFrequencyCode(1000), 204},
        {"below the table", NearestFrequencyCode(10), 0},
        {"above the table gives 0", NearestFrequencyCode(30000), 0},
        {"exact entry", NearestFrequencyCode(20.5), 2},
        {"halfway 1000/1020 goes up", NearestFrequencyCode(1010), 205},
        {"just below halfway", NearestFrequencyCode(1009.9), 204},
        {"top entry", NearestFrequencyCode(20600), 361},
        {"crossover 1000 Hz", NearestCrossoverCode(1000), 204},
        {"Q 0.4", NearestQCode(0.4), 0},
        {"Q 200 above the table", NearestQCode(200), 0},
        {"Q 0.71", NearestQCode(0.71), 10},
        {"Q halfway 20/21 goes up", NearestQCode(20.5), 69},
        {"Q 128", NearestQCode(128), 100},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
    EXPECT_EQ(FrequencyOfCode(204), 1000);
    EXPECT_EQ(CrossoverFrequencyOfCode(361), 20600);
    EXPECT_EQ(QOfCode(16), 1.0);
}

#ifdef NDEBUG
TEST(Conversions, OutOfRangeCodesClampInReleaseBuilds) {
    EXPECT_EQ(FrequencyOfCode(400), 20600);
    EXPECT_EQ(FrequencyOfCode(-1), 19.7);
    EXPECT_EQ(QOfCode(0), 0.42);
    EXPECT_EQ(QOfCode(500), 128.0);
}
#endif

TEST(Conversions, ProgramNumbersInBothForms) {
    for (int n = 1; n <= 21; ++n) {
        EXPECT_EQ(ProgramNumberFromText(ProgramNumberText(n)), n) << n;
        EXPECT_EQ(ProgramNumberFromText(std::to_string(n)), n) << n;
    }
    EXPECT_EQ(ProgramNumberText(18), "F2");
    EXPECT_EQ(ProgramNumberFromText("f5"), 21);
    for (const char* bad : {"", "0", "22", "F", "F0", "F6", "F17", "f-1", "+5", " 5", "5 ", "1.0", "100"})
        EXPECT_EQ(ProgramNumberFromText(bad), std::nullopt) << '"' << bad << '"';
}

// The one way a computed double becomes a code: checked as a double first, so nothing wraps.
TEST(Conversions, CodeInRangeRefusesWhatAnIntCannotHold) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double x;
        std::optional<int> code;
    } cases[] = {
        {0, 0},
        {-0.0, 0},
        {240, 240},
        {7.9, 7},  // the caller rounds; a fraction is cut off
        {240.5, std::nullopt},
        {-1, std::nullopt},
        {-0.5, std::nullopt},
        {2147483650.0, std::nullopt},
        {4294967306.0, std::nullopt},
        {1e308, std::nullopt},
        {-1e308, std::nullopt},
        {inf, std::nullopt},
        {-inf, std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(CodeInRange(c.x, 0, 240), c.code) << c.x;
}

TEST(Conversions, TextFields) {
    uint8_t field[20];
    BytesFromText(field, 20, "abc");
    EXPECT_EQ(std::memcmp(field, "abc                 ", 20), 0);
    EXPECT_EQ(TextFromBytes(field, 20), "abc");

    BytesFromText(field, 20, "a name that is far too long");
    EXPECT_EQ(std::memcmp(field, "a name that is far t", 20), 0);

    std::memset(field, ' ', 20);
    EXPECT_EQ(TextFromBytes(field, 20), "");
    const uint8_t zeroed[8] = {' ', 'h', 'i', 0, 'x', 'y', 0, 0};
    EXPECT_EQ(TextFromBytes(zeroed, 8), "hi");
    const uint8_t full[4] = {'1', '2', '3', '4'};  // no terminator: only n bytes are read
    EXPECT_EQ(TextFromBytes(full, 4), "1234");
}

TEST(Labels, TablesAndOutOfRangeCodes) {
    EXPECT_STREQ(RatioLabels[0], "1.0");
    EXPECT_STREQ(RatioLabels[40], "100");
    EXPECT_STREQ(AttackLabels[19], "400");
    EXPECT_STREQ(ReleaseLabels[7], "Atk X32");
    EXPECT_STREQ(TabLabelsChinese[5], "系统");
    EXPECT_STREQ(TabLabelsEnglish[9], "Surround");
    EXPECT_STREQ(LabelOf(RatioLabels, 41), "");
    EXPECT_STREQ(LabelOf(ReleaseLabels, -1), "");
}

}  // namespace
}  // namespace pavo
