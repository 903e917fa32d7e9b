#pragma once
// Fits the bands of one EQ block to a measured response: the search runs over the unit's own codes
// (frequency, gain, Q, band type) with the same response model the graph draws, so the curve it
// predicts is the curve the program shows and the unit plays. Pure: it works on a copy of a program
// image and touches no shared state, so it may run on any thread.
#include <atomic>
#include <functional>
#include <variant>
#include <vector>

#include "autoeq/Curve.h"
#include "autoeq/Measurement.h"
#include "model/Blocks.h"

namespace pavo {

struct FitOptions {
    int block = 8;  // EQ block 0..15 (BlockNumber); the dynamic-EQ blocks are not fitted
    int scene = 1;  // for the output blocks 8..15: scene 1..3
    // Band numbers from 1 that the fit may change; empty: all of the block's bands. The others keep
    // their codes and count in the prediction, as do the block's high-pass and low-pass filters.
    std::vector<int> bands;
    // The highest gain and the deepest cut (as a positive number of dB) of each fitted band, and,
    // with combinedLimits, of the fitted bands together at every point of the fit range: a stack of
    // bands filling a deep dip would take the headroom the limit is there to keep.
    double maxBoostDb = 6;
    double maxCutDb = 12;
    bool combinedLimits = true;
    bool shelves = false;  // low and high shelves allowed besides peaking bands
    double loHz = 40;      // fit range, clamped to the band frequencies (19.7 Hz .. 20.6 kHz)
    double hiHz = 16000;
    double smoothing = 1.0 / 6;  // fractional-octave smoothing of the measurement; 0: off
    double tiltDbPerOctave = 0;  // the target when no target curve is given: a tilt around 1 kHz
};

// A checked fit, everything on the response grid. Built by PrepareFit, read by RunFit.
struct FitProblem {
    ProgramImage image;  // the caller's copy
    int block = 0;
    int scene = 1;
    std::vector<bool> fitted;             // per band of the block: the fit may change it
    GridSpan span;                        // the fit range, within what the measurement covers
    GridLevels measured{};                // resampled and smoothed
    GridLevels target{};                  // shifted to the measured mean over the span
    double maxBoostDb = 0, maxCutDb = 0;  // for each band, and for the fitted bands together
    bool combinedLimits = true;
    int gainCodeMin = 0, gainCodeMax = 0;
    int frequencyCodeMin = 0, frequencyCodeMax = 0;  // band centres inside the fit range
    bool shelves = false;
};

// Refuses unknown blocks and scenes, band numbers the block does not have, negative limits, an empty
// fit range, a measurement with fewer than 10 points in the fit range, and curves holding values that
// are not finite or frequencies that do not increase. Errors about the options name no file.
std::variant<FitProblem, MeasurementError> PrepareFit(const ProgramImage& image, const Measurement& measured,
                                                      const Measurement* target, const FitOptions& options);

struct FittedBand {
    int number = 0;  // from 1
    EqBand codes{};
    double frequencyHz = 0, gainDb = 0, q = 0;
    bool fitted = false;  // the fit could change it
    bool used = false;    // it shapes the response (a band type and a gain other than 0 dB)
};

struct FitResult {
    std::vector<FittedBand> bands;  // every band of the block, in order
    // RMS error in dB over the fit range between the target and measurement + block response, before
    // (the block's codes as given) and after the fit. The target follows the mean level of the curve
    // it is compared with, so overall level costs nothing and no band is spent on it.
    double rmsBefore = 0;
    double rmsAfter = 0;
    GridLevels predicted{};  // the block's response with the fitted codes, exactly as the graph draws it
    bool cancelled = false;  // stopped early; the codes are the best found until then
};

struct FitControl {
    std::function<void(double fraction)> progress;  // 0..1, called on the fitting thread
    const std::atomic<bool>* cancel = nullptr;
};

// Deterministic: the same problem gives the same codes. A fitted band that does not help is left
// flat (gain code 120, its other codes as they were) and reported unused.
FitResult RunFit(const FitProblem& problem, const FitControl& control = {});

// Writes the codes of the fitted bands into the block of `image`; false for a block or scene the
// image does not have or a result of another size.
bool ApplyFit(const FitResult& result, ProgramImage& image, int block, int scene);

// The RMS of (target - measured - response) over the span, about its mean.
double LevelFreeRms(const GridLevels& target, const GridLevels& measured, const GridLevels& response,
                    GridSpan span);

}  // namespace pavo
