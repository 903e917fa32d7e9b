#pragma once
// The search behind RunFit, over the codes themselves. Bands are placed one by one on the peaks of the
// deviation left, each followed by polishing: code steps of one band's frequency, gain, Q and type
// while one lowers the error. Then bands are re-seated (taken out and placed afresh), codes kicked
// (pushed a step and held while the rest settles), and at last a band's frequency, gain and Q are
// stepped together, until no such move lowers the error. Four starts: three greedy placements and
// the continuous least-squares fit rounded to codes; the best one is kept.
// Every candidate is scored with the model's response of the band on the fit range.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "autoeq/Fit.h"

namespace pavo {

class CodeSearch {
public:
    // The bands the problem marks as fitted start flat.
    CodeSearch(const FitProblem& problem, const FitControl& control);

    void Run();
    // All of the block's bands with the codes found.
    std::vector<EqBand> Bands() const;
    bool Cancelled() const { return cancelled_; }

private:
    struct Slot {
        int band = 0;               // index in the block
        EqBand codes{};             // the current codes
        EqBand flat{};              // its codes as given, with a gain of 0 dB
        std::vector<double> level;  // its response on the span
    };
    enum Coordinate { Frequency, Gain, Q };

    bool Stop();
    void Progress(double fraction);

    void LevelsOf(const EqBand& band, std::vector<double>& out) const;
    double ErrorOf(const std::vector<double>& residual) const;
    // Slot s is about to move: without_ = residual_ with its response taken out.
    void Focus(int s);
    // The error with the focused slot at `codes`; keeps the response if it beats `bestError`.
    // `cached`: the refining moves come back to the same codes again and again; the scans do not.
    bool Try(const EqBand& codes, double& bestError, EqBand& bestCodes, bool cached = false);
    bool WithinLimits(const double* level) const;
    const double* CachedLevels(const EqBand& band);
    void Commit(int s, const EqBand& codes, double error);

    bool Place(int s);
    bool FitGain(EqBand codes, double trialDb, double& bestError, EqBand& bestCodes);
    bool Polish(int s);
    bool LineSearch(int s, Coordinate c);
    bool TypeSearch(int s);
    bool StepTogether(int s);
    void Refine();
    bool Reseat();
    bool Kick();
    void Prune();

    // The search state, kept to go back to after a move that did not pay off.
    struct State {
        std::vector<Slot> slots;
        std::vector<double> residual;
        double error = 0;
    };
    State Save() const;
    void Restore(State&& state);
    // All slots flat, then placed one by one.
    void Build(double progressFrom, double progressTo);
    // The bands of ContinuousFit rounded to the nearest codes; false when there are none or, where the
    // problem asks for it, they break the limits on the bands together.
    bool Seed();
    void Improve(double progressFrom, double progressTo);

    bool InRange(const EqBand& b) const;
    bool IsFlat(const EqBand& b) const { return b.GainCode == kGainCodeFlat || b.BandType == BandBypass; }

    const FitProblem& p_;
    const FitControl& control_;
    std::vector<EqBand> bands_;
    std::vector<Slot> slots_;
    int n_ = 0;                     // points of the span
    std::vector<double> base_;      // target - measured - response of the block with its fitted bands flat
    std::vector<double> residual_;  // target - measured - response of the whole block, on the span
    std::vector<double> without_;   // residual_ plus the focused slot's response
    std::vector<double> trial_, best_, zeros_;
    double error_ = 0;  // squared level-free error of residual_
    static constexpr std::size_t kCacheEntries = 4096;
    static constexpr int kPlacementQStep = 4;  // Q codes tried when placing; polishing finds the rest
    static constexpr int kRounds = 4;          // of re-seating and of kicks, at most
    // How a start places its bands: at how many of the largest peaks of the deviation a new band is
    // tried, and up to which Q code.
    struct Start {
        std::size_t placesTried = 1;
        int highestQCode = kQCodeMax;
    };
    Start start_;
    // Diagonal steps (StepTogether) cost 26 tries a band; they come in once the rest has settled.
    bool diagonalSteps_ = false;
    std::vector<double> cache_;                             // responses on the span, kCacheEntries of them
    std::unordered_map<uint32_t, std::size_t> cacheIndex_;  // codes -> offset in cache_
    bool cancelled_ = false;
    int frozenSlot_ = -1;  // Kick holds this slot's coordinate while the rest settles
    Coordinate frozenCoordinate_ = Frequency;
};

}  // namespace pavo
