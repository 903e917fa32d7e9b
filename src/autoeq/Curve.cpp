#include "autoeq/Curve.h"

#include <algorithm>
#include <cmath>

namespace pavo {

GridSpan GridSpanOf(double loHz, double hiHz) {
    const auto& table = FrequencyTable();
    const double lo = std::clamp(loHz, table.front(), table.back());
    const double hi = std::clamp(hiHz, table.front(), table.back());
    const auto& grid = ResponseGrid();
    GridSpan span;
    span.first = static_cast<int>(std::lower_bound(grid.begin(), grid.end(), lo) - grid.begin());
    span.last = static_cast<int>(std::upper_bound(grid.begin(), grid.end(), hi) - grid.begin()) - 1;
    return span;
}

GridSpan MeasuredSpan(const Measurement& m) {
    if (m.frequency.empty()) return {};
    const auto& grid = ResponseGrid();
    GridSpan span;
    span.first =
        static_cast<int>(std::lower_bound(grid.begin(), grid.end(), m.frequency.front()) - grid.begin());
    span.last =
        static_cast<int>(std::upper_bound(grid.begin(), grid.end(), m.frequency.back()) - grid.begin()) - 1;
    return span;
}

int PointsWithin(const Measurement& m, double loHz, double hiHz) {
    const auto a = std::lower_bound(m.frequency.begin(), m.frequency.end(), loHz);
    const auto b = std::upper_bound(m.frequency.begin(), m.frequency.end(), hiHz);
    return b > a ? static_cast<int>(b - a) : 0;
}

namespace {

// The measurement as a function of u = log2 f (straight between points, level held beyond the ends)
// and its running integral, so that the mean over any interval costs two look-ups.
class PiecewiseLine {
public:
    explicit PiecewiseLine(const Measurement& m) : level_(m.level) {
        u_.reserve(m.frequency.size());
        for (double f : m.frequency) u_.push_back(std::log2(f));
        integral_.assign(u_.size(), 0.0);
        for (std::size_t i = 1; i < u_.size(); ++i)
            integral_[i] = integral_[i - 1] + (u_[i] - u_[i - 1]) * (level_[i] + level_[i - 1]) / 2;
    }

    // The integral from the first point to u (negative before it).
    double IntegralTo(double u) const {
        const std::size_t n = u_.size();
        if (u <= u_.front()) return (u - u_.front()) * level_.front();
        if (u >= u_.back()) return integral_[n - 1] + (u - u_.back()) * level_.back();
        const std::size_t i =
            static_cast<std::size_t>(std::upper_bound(u_.begin(), u_.end(), u) - u_.begin()) - 1;
        const double t = u - u_[i];
        const double slope = (level_[i + 1] - level_[i]) / (u_[i + 1] - u_[i]);
        return integral_[i] + t * (level_[i] + slope * t / 2);
    }

private:
    std::vector<double> u_;
    const std::vector<double>& level_;
    std::vector<double> integral_;
};

}  // namespace

GridLevels ResampleToGrid(const Measurement& m) {
    GridLevels out{};
    if (m.frequency.empty()) return out;
    const PiecewiseLine line(m);
    const auto& grid = ResponseGrid();
    std::array<double, kGridPoints + 1> edge{};  // cell boundaries, halfway between grid points in log
    for (int k = 1; k < kGridPoints; ++k) edge[k] = (std::log2(grid[k - 1]) + std::log2(grid[k])) / 2;
    edge[0] = 2 * std::log2(grid[0]) - edge[1];
    edge[kGridPoints] = 2 * std::log2(grid[kGridPoints - 1]) - edge[kGridPoints - 1];
    double below = line.IntegralTo(edge[0]);
    for (int k = 0; k < kGridPoints; ++k) {
        const double above = line.IntegralTo(edge[k + 1]);
        out[k] = (above - below) / (edge[k + 1] - edge[k]);
        below = above;
    }
    return out;
}

GridLevels SmoothOctaves(const GridLevels& levels, double fraction, GridSpan span) {
    constexpr double kPointsPerOctave = 36;
    const long half =
        std::isfinite(fraction) ? std::lround(std::clamp(fraction, 0.0, 10.0) * kPointsPerOctave / 2) : 0;
    if (half <= 0 || span.Count() <= 0) return levels;
    GridLevels out = levels;
    for (int k = span.first; k <= span.last; ++k) {
        const int h = static_cast<int>(std::min<long>({half, k - span.first, span.last - k}));
        double sum = 0;
        for (int j = k - h; j <= k + h; ++j) sum += levels[j];
        out[k] = sum / (2 * h + 1);
    }
    return out;
}

GridLevels TiltTarget(double dbPerOctave) {
    GridLevels out{};
    const auto& grid = ResponseGrid();
    for (int k = 0; k < kGridPoints; ++k) out[k] = dbPerOctave * std::log2(grid[k] / 1000.0);
    return out;
}

double MeanOver(const GridLevels& levels, GridSpan span) {
    if (span.Count() <= 0) return 0;
    double sum = 0;
    for (int k = span.first; k <= span.last; ++k) sum += levels[k];
    return sum / span.Count();
}

}  // namespace pavo
