#pragma once
// Peaking bands with continuous frequency, gain and Q fitted by least squares (Levenberg-Marquardt),
// each band placed at the largest deviation left and then all of them refined together. CodeSearch
// rounds the result to codes as one of its starts: moving all bands at once reaches solutions that
// code steps of one band at a time, from a greedy placement, do not.
#include <array>
#include <functional>
#include <vector>

#include "autoeq/Fit.h"

namespace pavo {

class ContinuousFit {
public:
    struct Band {
        double hz = 0, gainDb = 0, q = 0;
    };
    // `deviation`: what the bands should make up, point by point over the problem's span (target -
    // measured - the response of everything the fit does not change). Each band keeps to the problem's
    // frequency range and per-band gain limits; the limits on the bands together are not kept.
    ContinuousFit(const FitProblem& problem, std::vector<double> deviation);

    // Places up to `bands` bands one by one, refining all after each; `stop` is asked between steps.
    std::vector<Band> Run(int bands, const std::function<bool()>& stop);

private:
    using Params = std::array<double, 3>;  // log2 Hz, gain dB, log2 Q
    void Levels(const Params& x, std::vector<double>& out) const;
    double Cost(const std::vector<std::vector<double>>& levels) const;
    void Clamp(Params& x) const;
    bool Place();
    void Refine(const std::function<bool()>& stop);

    const FitProblem& p_;
    int n_ = 0;
    std::vector<double> deviation_;
    std::vector<Params> x_;
    std::vector<std::vector<double>> levels_;  // each band's response on the span
    Params lo_{}, hi_{};
};

}  // namespace pavo
