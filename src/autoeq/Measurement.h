#pragma once
// Measured responses read from text files: the text export of room-measurement programs (comment
// lines starting with '*' or '#'), FRD files and two-column CSV with one header line. Columns are
// frequency in Hz, level in dB and an optional phase (read, checked and dropped), separated by
// spaces, tabs, commas or semicolons, with a decimal point. Target curves use the same formats.
#include <string>
#include <string_view>
#include <vector>

namespace pavo {

struct Measurement {
    std::string name;               // the file it came from, for messages
    std::vector<double> frequency;  // Hz, strictly increasing, above 0
    std::vector<double> level;      // dB
};

// Why a file was refused. line is 1-based; 0 stands for the file as a whole.
struct MeasurementError {
    std::string file;
    int line = 0;
    std::string reason;
    // "file:line: reason", "file: reason", or the reason alone when there is no file.
    std::string Text() const;
};

// Reads the text of one file. On the first line that is refused, fills `error` and returns false
// with `out` untouched.
bool ParseMeasurement(std::string_view text, std::string_view fileName, Measurement& out,
                      MeasurementError& error);
// The same from a file on disk; a file that cannot be read is refused as a whole.
bool ReadMeasurementFile(const std::string& path, Measurement& out, MeasurementError& error);

}  // namespace pavo
