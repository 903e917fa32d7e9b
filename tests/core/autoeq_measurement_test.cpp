// Reading measurement files: the formats and separators that are taken, and every refusal with its
// line number, leaving the caller's curve as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "autoeq/Measurement.h"

namespace pavo {
namespace {

struct Taken {
    const char* what;
    std::string text;
    std::vector<double> frequency, level;
};

TEST(AutoEqMeasurement, ReadsEachFormatAndSeparator) {
    const Taken cases[] = {
        {"room-measurement text export, '*' comments, three columns",
         "* Measurement data\n* Freq(Hz) SPL(dB) Phase(degrees)\n20.000 75.25 -120.5\n20.5  75.5\t-121\n1000 "
         "80 0\n",
         {20, 20.5, 1000},
         {75.25, 75.5, 80}},
        {"'#' comments, tabs, two columns",
         "# exported\n\t20\t70.5\n# mid-file comment\n25\t71\n",
         {20, 25},
         {70.5, 71}},
        {"FRD with exponents and signs", "1.0e2 +80.5 -10\n2E2 -3.25e-1 +5\n", {100, 200}, {80.5, -0.325}},
        {"CSV with a header line", "Frequency,SPL\n20,70\n30,71.5\n", {20, 30}, {70, 71.5}},
        {"semicolons with a quoted header",
         "\"Hz\";\"dB\";\"deg\"\n20 ; 70 ; 0\n40;72;-1\n",
         {20, 40},
         {70, 72}},
        {"byte-order mark, CRLF, blank lines, one trailing separator",
         "\xEF\xBB\xBF* c\r\n\r\n20,70,\r\n30,71\r\n",
         {20, 30},
         {70, 71}},
        {"no newline at the end", "20 70\n30 71", {20, 30}, {70, 71}},
    };
    for (const Taken& c : cases) {
        Measurement m;
        MeasurementError error;
        ASSERT_TRUE(ParseMeasurement(c.text, "m.txt", m, error)) << c.what << ": " << error.Text();
        EXPECT_EQ(m.frequency, c.frequency) << c.what;
        EXPECT_EQ(m.level, c.level) << c.what;
        EXPECT_EQ(m.name, "m.txt");
    }
}

struct Refused {
    std::string text;
    int line;
    std::string reason;  // a part of it
};

TEST(AutoEqMeasurement, RefusesWithLineAndReasonAndChangesNothing) {
    const Refused cases[] = {
        {"20 70\n30 abc\n", 2, "\"abc\" is not a number"},
        {"Freq dB\n20 70\nHz dB\n", 3, "\"Hz\" is not a number"},  // one header, before the data
        {"* c\n20 70\n20 71\n", 3, "frequencies do not increase (20 Hz after 20 Hz)"},
        {"30 70\n20 71\n", 2, "frequencies do not increase (20 Hz after 30 Hz)"},
        {"20 nan\n", 1, "non-finite value \"nan\""},
        {"20 70 inf\n", 1, "non-finite value \"inf\""},
        {"20 1e999\n", 1, "\"1e999\" is out of range"},
        {"0 70\n", 1, "frequency 0 Hz is not above 0"},
        {"20 70\n-5 70\n", 2, "frequency -5 Hz is not above 0"},
        {"20\n", 1, "expected 2 or 3 columns (frequency, level, phase), found 1"},
        {"20 70 0 1\n", 1, "found 4"},
        {"20,5;70,1\n", 1, "\"20,5\" is not a number (decimal comma? use a decimal point)"},
        {"20,5 70\n", 1, "\"5 70\" is not a number"},
        {"20,,70\n", 1, "empty column"},
        {"", 0, "no data"},
        {"* only\n# comments\nFreq,dB\n", 0, "no data"},
    };
    for (const Refused& c : cases) {
        Measurement m{"kept", {1, 2}, {3, 4}};
        MeasurementError error;
        ASSERT_FALSE(ParseMeasurement(c.text, "room.frd", m, error)) << c.text;
        EXPECT_EQ(error.file, "room.frd");
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << c.text << " -> " << error.reason;
        EXPECT_EQ(m.name, "kept");
        EXPECT_EQ(m.frequency, (std::vector<double>{1, 2}));
    }
    EXPECT_EQ((MeasurementError{"room.frd", 3, "why"}).Text(), "room.frd:3: why");
    EXPECT_EQ((MeasurementError{"room.frd", 0, "why"}).Text(), "room.frd: why");
    EXPECT_EQ((MeasurementError{"", 0, "why"}).Text(), "why");
}

TEST(AutoEqMeasurement, ReadsFilesAndNamesTheOneItCannotRead) {
    const auto dir = std::filesystem::temp_directory_path() / ("autoeq_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string good = (dir / "room.txt").string();
    std::ofstream(good) << "* c\n20 70\n40 72\n";
    const std::string bad = (dir / "bad.csv").string();
    std::ofstream(bad) << "f,dB\n20,70\n10,71\n";

    Measurement m;
    MeasurementError error;
    ASSERT_TRUE(ReadMeasurementFile(good, m, error)) << error.Text();
    EXPECT_EQ(m.name, good);
    EXPECT_EQ(m.level, (std::vector<double>{70, 72}));

    EXPECT_FALSE(ReadMeasurementFile(bad, m, error));
    EXPECT_EQ(error.Text(), bad + ":3: frequencies do not increase (10 Hz after 20 Hz)");

    for (const std::string& path : {(dir / "missing.txt").string(), dir.string()}) {
        EXPECT_FALSE(ReadMeasurementFile(path, m, error)) << path;
        EXPECT_EQ(error.file, path);
        EXPECT_EQ(error.line, 0);
        EXPECT_NE(error.reason.find("cannot be read"), std::string::npos) << error.reason;
    }
    EXPECT_EQ(m.name, good);  // untouched by the refusals
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace pavo
