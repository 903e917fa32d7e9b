#pragma once
// Small geometry types of the response graph and the scales between plot coordinates and
// frequency or level. Plot coordinates count from the plot's top-left corner; the plot itself sits
// at (kPlotLeft, kPlotTop) in the graph control's client coordinates.
#include <cmath>

namespace pavo {

struct PlotPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

struct PlotPointF {
    float x = 0;
    float y = 0;
};

// A rectangle whose right and bottom edges lie just outside it, like a window rectangle.
struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    PlotPoint Centre() const { return {(left + right) / 2, (top + bottom) / 2}; }
    bool Contains(PlotPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    friend bool operator==(const PlotRect&, const PlotRect&) = default;
};

constexpr int kPlotLeft = 35;  // plot offset inside the graph control
constexpr int kPlotTop = 10;

// The plot spans 10 Hz .. 30 kHz on a log scale and +12 .. -24 dB on a linear one.
inline double FrequencyToX(double hz, int width) {
    return (std::log10(hz) - 1) * width / (std::log10(30000.0) - 1);
}
// FrequencyToX of point k of the response grid, from logarithms taken once: laying out a plot for many
// band sets would otherwise take hundreds of thousands of them. Gives exactly FrequencyToX's value.
double GridPointToX(int k, int width);
inline double XToFrequency(double x, int width) {
    return std::pow(10.0, (std::log10(30000.0) - 1) * x / width + 1);
}
inline double LevelToY(double db, int height) {
    return height / 36.0 * (12 - db);
}
// Whole dB, half away from zero.
inline double YToLevel(double y, int height) {
    return std::round(12 - y * 36 / height);
}

// Truncation toward zero for pixel positions; values far outside any screen (or not numbers) are
// held to a safe range instead of overflowing the conversion.
inline int TruncPixel(double v) {
    if (!(v > -1e9)) return -1000000000;
    if (v > 1e9) return 1000000000;
    return static_cast<int>(v);
}

}  // namespace pavo
