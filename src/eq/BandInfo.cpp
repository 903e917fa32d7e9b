#include "eq/BandInfo.h"

#include <algorithm>
#include <cstdio>

#include "model/CodeTables.h"

namespace pavo {

std::string BandInfoText(const CFilter& m) {
    char text[96];
    const FilterType type = m.GetType();
    if (m.IsFilterType()) {
        // Whole hertz from code 82 (95 Hz) up.
        const char* format = m.SettingRecord().FrequencyCode < 82 ? "%.1fHz " : "%.0fHz ";
        std::snprintf(text, sizeof text, format, m.Frequency());
        return text;
    }
    const int t = static_cast<int>(type);
    if (t < 0 || t > 3) return {};
    static constexpr const char* kPrefix[] = {"BY  ", "PEQ  ", "LS  ", "HS  "};
    // The Q and gain of the record; a band bound to none shows its own members.
    double q = m.Q(), gain = m.Gain();
    if (m.Band()) {
        const EqBand b = m.BandRecord();
        q = QTable()[std::clamp<int>(b.QCode, 0, kQCodes - 1)];
        gain = b.GainCode * 0.2 - 24;
    }
    const bool shelf = type == FilterType::LowShelf || type == FilterType::HighShelf;
    const double frequency = m.Frequency();
    const char* format = frequency < 101 ? (shelf ? "%s%.1fHz %.3fQ %.1fdB" : "%s%.1fHz %.2fQ %.1fdB")
                                         : (shelf ? "%s%.0fHz %.3fQ %.1fdB" : "%s%.0fHz %.2fQ %.1fdB");
    std::snprintf(text, sizeof text, format, kPrefix[t], frequency, q, gain);
    return text;
}

}  // namespace pavo
