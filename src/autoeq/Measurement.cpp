#include "autoeq/Measurement.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace pavo {
namespace {

constexpr std::string_view kWhite = " \t\v\f";
constexpr std::size_t kMaxFileBytes = 64u << 20;  // far above any export; refuses binaries early

std::string_view Trim(std::string_view s) {
    const std::size_t a = s.find_first_not_of(kWhite);
    if (a == std::string_view::npos) return {};
    const std::size_t b = s.find_last_not_of(kWhite);
    return s.substr(a, b - a + 1);
}

std::string Quoted(std::string_view s) {
    constexpr std::size_t kShown = 40;
    std::string q = "\"";
    q += s.substr(0, kShown);
    if (s.size() > kShown) q += "...";
    return q + "\"";
}

std::string Number(double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", x);
    return text;
}

// The fields of one line. A semicolon or comma anywhere makes it the separator (semicolon first,
// so "1,5;2" reads as a decimal comma and is refused rather than taken as three columns); otherwise
// runs of white space separate. One trailing separator is allowed.
bool SplitFields(std::string_view line, std::vector<std::string_view>& fields, std::string& reason) {
    fields.clear();
    const char sep = line.find(';') != std::string_view::npos   ? ';'
                     : line.find(',') != std::string_view::npos ? ','
                                                                : '\0';
    if (sep == '\0') {
        std::size_t i = 0;
        while (i < line.size()) {
            const std::size_t a = line.find_first_not_of(kWhite, i);
            if (a == std::string_view::npos) break;
            std::size_t b = line.find_first_of(kWhite, a);
            if (b == std::string_view::npos) b = line.size();
            fields.push_back(line.substr(a, b - a));
            i = b;
        }
        return true;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(sep, start);
        const std::string_view field =
            Trim(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            if (!field.empty()) fields.push_back(field);
            break;
        }
        if (field.empty()) {
            reason = "empty column";
            return false;
        }
        fields.push_back(field);
        start = end + 1;
    }
    return true;
}

bool ParseNumber(std::string_view field, double& value, std::string& reason) {
    std::string_view digits = field;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    const char* first = digits.data();
    const char* last = first + digits.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        reason = Quoted(field) + " is out of range";
        return false;
    }
    if (ec != std::errc() || end != last || digits.empty()) {
        reason = Quoted(field) + " is not a number";
        if (field.find(',') != std::string_view::npos) reason += " (decimal comma? use a decimal point)";
        return false;
    }
    if (!std::isfinite(value)) {
        reason = "non-finite value " + Quoted(field);
        return false;
    }
    return true;
}

bool StartsLikeNumber(std::string_view s) {
    const char c = s.front();
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}  // namespace

std::string MeasurementError::Text() const {
    if (file.empty()) return reason;
    if (line <= 0) return file + ": " + reason;
    return file + ":" + std::to_string(line) + ": " + reason;
}

bool ParseMeasurement(std::string_view text, std::string_view fileName, Measurement& out,
                      MeasurementError& error) {
    Measurement m;
    m.name = fileName;
    auto refuse = [&](int line, std::string reason) {
        error = {std::string(fileName), line, std::move(reason)};
        return false;
    };
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

    bool headerAllowed = true;  // one header line, before any data
    std::vector<std::string_view> fields;
    std::string reason;
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '*' || line.front() == '#') continue;
        if (headerAllowed && !StartsLikeNumber(line)) {
            headerAllowed = false;
            continue;
        }
        headerAllowed = false;

        if (!SplitFields(line, fields, reason)) return refuse(lineNumber, reason);
        if (fields.size() < 2 || fields.size() > 3)
            return refuse(lineNumber, "expected 2 or 3 columns (frequency, level, phase), found " +
                                          std::to_string(fields.size()));
        double values[3] = {};
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (!ParseNumber(fields[i], values[i], reason)) return refuse(lineNumber, reason);
        const double f = values[0];
        if (f <= 0) return refuse(lineNumber, "frequency " + Number(f) + " Hz is not above 0");
        if (!m.frequency.empty() && f <= m.frequency.back())
            return refuse(lineNumber, "frequencies do not increase (" + Number(f) + " Hz after " +
                                          Number(m.frequency.back()) + " Hz)");
        m.frequency.push_back(f);
        m.level.push_back(values[1]);
    }
    if (m.frequency.empty()) return refuse(0, "no data");
    out = std::move(m);
    return true;
}

bool ReadMeasurementFile(const std::string& path, Measurement& out, MeasurementError& error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);  // also fails on folders
    if (ec) {
        error = {path, 0, "cannot be read (" + ec.message() + ")"};
        return false;
    }
    if (size > kMaxFileBytes) {
        error = {path, 0, "larger than 64 MB"};
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::string text(size, '\0');
    if (!file.read(text.data(), static_cast<std::streamsize>(size))) {
        error = {path, 0, "cannot be read"};
        return false;
    }
    return ParseMeasurement(text, path, out, error);
}

}  // namespace pavo
