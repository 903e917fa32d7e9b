#pragma once
// The preset report: a PDF an installer hands to the venue. It holds the program's name, the date and
// where the program came from, the response curve of every EQ block (drawn as vector paths), and every
// page's settings with the field names in Chinese and English and the values in engineering units.
#include <QString>
#include <optional>

#include "model/Blocks.h"

namespace pavo {

struct ReportSubject {
    QString source;  // where the program came from, in the UI language
    ProgramImage image{};
    std::optional<SystemRecord> system;
};

// Writes the report to `path` (Qt Print Support's PDF output). False when it cannot be written.
bool WriteReport(const QString& path, const ReportSubject& subject);

// The curve titles of the report count its curves: "Curve 3/18: Mic 1&2 · 话筒1&2".
constexpr int kReportCurves = 18;

}  // namespace pavo
