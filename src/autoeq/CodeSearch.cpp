#include "autoeq/CodeSearch.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "autoeq/BlockRecords.h"
#include "autoeq/ContinuousFit.h"
#include "eq/BlockResponse.h"
#include "eq/DoublePair.h"
#include "model/DataConver.h"

namespace pavo {
namespace {

// A move must lower the squared error by more than rounding noise, or the search could circle.
constexpr double kTiny = 1e-12;
// A band that lowers the RMS error by less than this is left flat: not worth a band on the unit.
constexpr double kNegligibleDb = 0.01;

bool Better(double a, double b) {
    return a < b - kTiny;
}

// The mean square of a - b about its mean over n points: the level-free error. Four running sums in
// two vector registers; the order of the additions is fixed, so results repeat exactly.
double LevelFreeError(const double* a, const double* b, int n) {
    DoublePair s1a{}, s1b{}, s2a{}, s2b{};
    int j = 0;
    for (; j + 4 <= n; j += 4) {
        const DoublePair e = LoadPair(a + j) - LoadPair(b + j);
        const DoublePair f = LoadPair(a + j + 2) - LoadPair(b + j + 2);
        s1a += e;
        s2a += e * e;
        s1b += f;
        s2b += f * f;
    }
    const DoublePair s1 = s1a + s1b, s2 = s2a + s2b;
    double sum = s1[0] + s1[1], squares = s2[0] + s2[1];
    for (; j < n; ++j) {
        const double e = a[j] - b[j];
        sum += e;
        squares += e * e;
    }
    const double mean = sum / n;
    return std::max(0.0, squares / n - mean * mean);
}

}  // namespace

CodeSearch::CodeSearch(const FitProblem& problem, const FitControl& control)
    : p_(problem), control_(control), n_(problem.span.Count()) {
    const auto given = BandsOf(p_.image, p_.block, p_.scene);
    bands_.assign(given.begin(), given.end());
    // What stays: the block with its fitted bands flat.
    ProgramImage fixedImage = p_.image;
    const auto fixedBands = BandsOf(fixedImage, p_.block, p_.scene);
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        if (!p_.fitted[i]) continue;
        Slot slot;
        slot.band = static_cast<int>(i);
        slot.flat = bands_[i];
        slot.flat.GainCode = kGainCodeFlat;
        slot.codes = slot.flat;
        slot.level.assign(n_, 0.0);
        slots_.push_back(std::move(slot));
        fixedBands[i] = slots_.back().flat;
    }
    const GridLevels fixed = BlockResponse(fixedImage, p_.block, p_.scene).value_or(GridLevels{});
    base_.resize(n_);
    for (int j = 0; j < n_; ++j) {
        const int k = p_.span.first + j;
        base_[j] = p_.target[k] - p_.measured[k] - fixed[k];
    }
    residual_ = base_;
    without_ = residual_;
    trial_.assign(n_, 0.0);
    zeros_.assign(n_, 0.0);
    cache_.resize(kCacheEntries * n_);
    cacheIndex_.reserve(kCacheEntries);
    best_.assign(n_, 0.0);
    error_ = ErrorOf(residual_);
}

std::vector<EqBand> CodeSearch::Bands() const {
    std::vector<EqBand> out = bands_;
    for (const Slot& s : slots_) out[s.band] = s.codes;
    return out;
}

bool CodeSearch::Stop() {
    if (!cancelled_ && control_.cancel && control_.cancel->load(std::memory_order_relaxed)) cancelled_ = true;
    return cancelled_;
}

void CodeSearch::Progress(double fraction) {
    if (control_.progress) control_.progress(std::clamp(fraction, 0.0, 1.0));
}

// The band's levels as |N|^2 / |D|^2 in dB, which skips the complex response the graph keeps: equal to
// BandLevels to rounding, and the result's prediction is computed by the model itself anyway.
void CodeSearch::LevelsOf(const EqBand& band, std::vector<double>& out) const {
    if (IsFlat(band)) {
        std::fill(out.begin(), out.end(), 0.0);
        return;
    }
    GridLevels level;
    level.fill(1.0);
    const Biquad section = DesignEqBand(band.BandType, FrequencyTable()[band.FrequencyCode],
                                        QTable()[band.QCode], band.GainCode * 0.2 - 24);
    AccumulateSectionPower(section, level, p_.span.first, p_.span.last);
    PowerToDb(level, level, p_.span.first, p_.span.last);
    std::copy_n(level.begin() + p_.span.first, n_, out.begin());
}

double CodeSearch::ErrorOf(const std::vector<double>& residual) const {
    return LevelFreeError(residual.data(), zeros_.data(), n_);
}

void CodeSearch::Focus(int s) {
    const std::vector<double>& level = slots_[s].level;
    for (int j = 0; j < n_; ++j) without_[j] = residual_[j] + level[j];
}

const double* CodeSearch::CachedLevels(const EqBand& band) {
    const uint32_t key = band.FrequencyCode | uint32_t(band.GainCode) << 9 | uint32_t(band.QCode) << 17 |
                         uint32_t(band.BandType) << 24;
    if (const auto it = cacheIndex_.find(key); it != cacheIndex_.end()) return &cache_[it->second];
    if (cacheIndex_.size() == kCacheEntries) cacheIndex_.clear();  // start afresh: cheap and simple
    const std::size_t at = cacheIndex_.size() * n_;
    LevelsOf(band, trial_);
    std::copy(trial_.begin(), trial_.end(), cache_.begin() + at);
    cacheIndex_.emplace(key, at);
    return &cache_[at];
}

bool CodeSearch::Try(const EqBand& codes, double& bestError, EqBand& bestCodes, bool cached) {
    const double* level = trial_.data();
    if (cached) {
        level = CachedLevels(codes);
    } else {
        LevelsOf(codes, trial_);
    }
    const double error = LevelFreeError(without_.data(), level, n_);
    if (!Better(error, bestError) || !WithinLimits(level)) return false;
    bestError = error;
    bestCodes = codes;
    if (cached) {
        std::copy_n(level, n_, best_.begin());
    } else {
        std::swap(trial_, best_);
    }
    return true;
}

// Whether the fitted bands together, with the focused slot at `level`, stay within the boost and cut
// limits over the span, where the problem asks for it.
bool CodeSearch::WithinLimits(const double* level) const {
    if (!p_.combinedLimits) return true;
    constexpr double kSlackDb = 1e-6;
    for (int j = 0; j < n_; ++j) {
        const double sum = base_[j] - without_[j] + level[j];
        if (sum > p_.maxBoostDb + kSlackDb || sum < -p_.maxCutDb - kSlackDb) return false;
    }
    return true;
}

// Takes the response of the last successful Try (in best_) for slot s.
void CodeSearch::Commit(int s, const EqBand& codes, double error) {
    Slot& slot = slots_[s];
    slot.codes = IsFlat(codes) ? slot.flat : codes;  // a band gone flat keeps its codes as given
    std::swap(slot.level, best_);
    for (int j = 0; j < n_; ++j) residual_[j] = without_[j] - slot.level[j];
    error_ = error;
}

bool CodeSearch::InRange(const EqBand& b) const {
    const bool typeAllowed =
        b.BandType == BandPeak || (p_.shelves && (b.BandType == BandLowShelf || b.BandType == BandHighShelf));
    return typeAllowed && b.FrequencyCode >= p_.frequencyCodeMin && b.FrequencyCode <= p_.frequencyCodeMax &&
           b.GainCode >= p_.gainCodeMin && b.GainCode <= p_.gainCodeMax && b.QCode <= kQCodeMax;
}

// The gain for fixed frequency, Q and type, in one evaluation: the band's response in dB scales
// nearly in proportion to its gain, so its shape at a trial gain gives the least-squares gain for
// the deviation left; that gain, rounded to a code, is tried exactly (and the trial gain with it).
bool CodeSearch::FitGain(EqBand codes, double trialDb, double& bestError, EqBand& bestCodes) {
    const int sign = trialDb > 0 ? 1 : -1;
    const int lo = sign > 0 ? kGainCodeFlat + 1 : p_.gainCodeMin;
    const int hi = sign > 0 ? p_.gainCodeMax : kGainCodeFlat - 1;
    if (lo > hi) return false;
    const int trial = std::clamp(static_cast<int>(std::lround(kGainCodeFlat + 5 * trialDb)), lo, hi);
    codes.GainCode = static_cast<uint8_t>(trial);
    bool found = Try(codes, bestError, bestCodes);
    const std::vector<double>& shape = found ? best_ : trial_;
    double sw = 0, ss = 0, w = 0, sh = 0;
    for (int j = 0; j < n_; ++j) {
        w += without_[j];
        sh += shape[j];
        sw += shape[j] * without_[j];
        ss += shape[j] * shape[j];
    }
    const double var = ss - sh * sh / n_;
    if (var <= 0) return found;
    const double scale = (sw - sh * w / n_) / var;
    const int gain =
        std::clamp(static_cast<int>(std::lround(kGainCodeFlat + scale * (trial - kGainCodeFlat))), lo, hi);
    if (gain == trial) return found;
    codes.GainCode = static_cast<uint8_t>(gain);
    return Try(codes, bestError, bestCodes) || found;
}

// Puts a flat slot on one of the largest peaks of the deviation left, in the direction the limits
// allow, with the Q, gain and type that lower the error most there; then polishes it. With one peak
// tried, the band goes where the deviation is largest; with several, where it helps most. False when
// nothing helps.
bool CodeSearch::Place(int s) {
    Focus(s);
    double mean = 0;
    for (double e : without_) mean += e;
    mean /= n_;
    // The peaks of the deviation a band may correct: local extrema of |deviation| at band frequencies,
    // on the side of 0 dB the limits allow, largest first.
    std::vector<std::pair<double, int>> peaks;
    auto deviation = [&](int j) { return without_[j] - mean; };
    for (int j = 0; j < n_; ++j) {
        const int code = p_.span.first + j - kFrequencyGridOffset;
        if (code < p_.frequencyCodeMin || code > p_.frequencyCodeMax) continue;
        const double d = deviation(j);
        if ((d > 0 && p_.gainCodeMax <= kGainCodeFlat) || (d < 0 && p_.gainCodeMin >= kGainCodeFlat) ||
            d == 0)
            continue;
        const double left = j > 0 ? std::abs(deviation(j - 1)) : 0;
        const double right = j + 1 < n_ ? std::abs(deviation(j + 1)) : 0;
        if (std::abs(d) >= left && std::abs(d) > right) peaks.emplace_back(std::abs(d), j);
    }
    if (peaks.empty()) return false;
    const std::size_t tried = std::min<std::size_t>(peaks.size(), start_.placesTried);
    std::partial_sort(peaks.begin(), peaks.begin() + tried, peaks.end(), [](const auto& a, const auto& b) {
        return a.first > b.first || (a.first == b.first && a.second < b.second);
    });

    double bestError = ErrorOf(without_);
    const double flatError = bestError;
    EqBand bestCodes = slots_[s].flat;
    std::vector<double> bestLevel(n_, 0.0);
    bool found = false;
    for (std::size_t i = 0; i < tried && !Stop(); ++i) {
        const int j = peaks[i].second;
        EqBand codes = slots_[s].codes;
        codes.FrequencyCode = static_cast<uint16_t>(p_.span.first + j - kFrequencyGridOffset);
        for (uint8_t type : {BandPeak, BandLowShelf, BandHighShelf}) {
            if (type != BandPeak && !p_.shelves) continue;
            codes.BandType = type;
            for (int q = 0; q <= start_.highestQCode; q += kPlacementQStep) {
                codes.QCode = static_cast<uint8_t>(q);
                if (FitGain(codes, deviation(j), bestError, bestCodes)) {
                    found = true;
                    bestLevel.swap(best_);  // best_ is scratch for the next scans
                }
            }
        }
    }
    if (!found || !Better(bestError, flatError)) return false;
    best_.swap(bestLevel);
    Commit(s, bestCodes, bestError);
    Polish(s);
    return true;
}

bool CodeSearch::LineSearch(int s, Coordinate c) {
    if (s == frozenSlot_ && c == frozenCoordinate_) return false;
    auto field = [c](EqBand& b) -> int {
        return c == Frequency ? int(b.FrequencyCode) : c == Gain ? int(b.GainCode) : int(b.QCode);
    };
    auto set = [c](EqBand& b, int v) {
        if (c == Frequency)
            b.FrequencyCode = static_cast<uint16_t>(v);
        else if (c == Gain)
            b.GainCode = static_cast<uint8_t>(v);
        else
            b.QCode = static_cast<uint8_t>(v);
    };
    bool moved = false;
    for (int dir : {1, -1}) {
        int step = 1;
        while (true) {
            EqBand cand = slots_[s].codes;
            const int v = field(cand) + dir * step;
            set(cand, v);
            // Gain may pass through 0 dB; a flat band has no frequency or Q to move.
            const bool valid = v >= 0 && field(cand) == v && InRange(cand) && (c == Gain || !IsFlat(cand));
            double error = error_;
            EqBand codes{};
            if (valid && Try(cand, error, codes, true)) {
                Commit(s, codes, error);
                if (IsFlat(slots_[s].codes)) return true;  // nothing left to move
                moved = true;
                step *= 2;  // speed up along a long slope
            } else if (step > 1) {
                step = 1;
            } else {
                break;
            }
        }
        if (moved) break;
    }
    return moved;
}

bool CodeSearch::TypeSearch(int s) {
    if (!p_.shelves) return false;
    double error = error_;
    EqBand best{};
    for (uint8_t type : {BandPeak, BandLowShelf, BandHighShelf}) {
        if (type == slots_[s].codes.BandType) continue;
        EqBand cand = slots_[s].codes;
        cand.BandType = type;
        Try(cand, error, best, true);
    }
    if (!Better(error, error_)) return false;
    Commit(s, best, error);
    return true;
}

// The 26 neighbours one step away in frequency, gain and Q at once: slopes along a diagonal, which
// single steps cannot follow.
bool CodeSearch::StepTogether(int s) {
    Focus(s);
    double error = error_;
    EqBand best{};
    for (int df = -1; df <= 1; ++df)
        for (int dg = -1; dg <= 1; ++dg)
            for (int dq = -1; dq <= 1; ++dq) {
                if (df == 0 && dg == 0 && dq == 0) continue;
                if (s == frozenSlot_ &&
                    ((frozenCoordinate_ == Frequency && df != 0) || (frozenCoordinate_ == Gain && dg != 0) ||
                     (frozenCoordinate_ == Q && dq != 0)))
                    continue;
                const EqBand& c = slots_[s].codes;
                const int f = c.FrequencyCode + df, g = c.GainCode + dg, q = c.QCode + dq;
                if (f < 0 || g < 0 || q < 0) continue;
                EqBand cand = c;
                cand.FrequencyCode = static_cast<uint16_t>(f);
                cand.GainCode = static_cast<uint8_t>(g);
                cand.QCode = static_cast<uint8_t>(q);
                if (InRange(cand) && !IsFlat(cand)) Try(cand, error, best, true);
            }
    if (!Better(error, error_)) return false;
    Commit(s, best, error);
    return true;
}

bool CodeSearch::Polish(int s) {
    if (IsFlat(slots_[s].codes)) return false;
    Focus(s);
    bool any = false;
    bool moved = true;
    while (moved && !Stop()) {
        moved = LineSearch(s, Frequency);
        moved |= LineSearch(s, Gain);
        if (IsFlat(slots_[s].codes)) break;
        moved |= LineSearch(s, Q);
        moved |= TypeSearch(s);
        any |= moved;
    }
    return any;
}

void CodeSearch::Refine() {
    while (!Stop()) {
        bool moved = false;
        for (std::size_t s = 0; s < slots_.size(); ++s) moved |= Polish(static_cast<int>(s));
        if (moved) continue;
        if (!diagonalSteps_) break;
        for (std::size_t s = 0; s < slots_.size() && !Stop(); ++s)
            if (!IsFlat(slots_[s].codes)) moved |= StepTogether(static_cast<int>(s));
        if (!moved) break;
    }
}

// Each used band in turn is taken out, the others settle without it, and it is placed afresh at the
// largest deviation left; kept where that lowers the error. Moves bands off features that another
// band already covers.
bool CodeSearch::Reseat() {
    bool any = false;
    for (std::size_t i = 0; i < slots_.size() && !Stop(); ++i) {
        const int s = static_cast<int>(i);
        if (IsFlat(slots_[s].codes)) continue;
        Focus(s);
        if (!WithinLimits(zeros_.data())) continue;  // the others lean on it
        State saved = Save();
        std::fill(best_.begin(), best_.end(), 0.0);
        Commit(s, slots_[s].flat, ErrorOf(without_));
        Refine();
        if (Place(s)) Refine();
        if (Better(error_, saved.error)) {
            any = true;
            continue;
        }
        Restore(std::move(saved));
    }
    return any;
}

// Iterated local search: one code of one band is pushed one or three steps and held there while
// everything else settles, then released. Where the others make up for it and more, the step is
// kept. This follows valleys in which several bands must move together, which no single step of
// one band can.
bool CodeSearch::Kick() {
    bool any = false;
    for (std::size_t i = 0; i < slots_.size() && !Stop(); ++i) {
        const int s = static_cast<int>(i);
        for (Coordinate c : {Frequency, Gain, Q}) {
            for (int d : {1, -1, 3, -3}) {
                if (IsFlat(slots_[s].codes)) break;
                EqBand cand = slots_[s].codes;
                if (c == Frequency) cand.FrequencyCode = static_cast<uint16_t>(cand.FrequencyCode + d);
                if (c == Gain) cand.GainCode = static_cast<uint8_t>(cand.GainCode + d);
                if (c == Q) cand.QCode = static_cast<uint8_t>(cand.QCode + d);
                if (!InRange(cand) || IsFlat(cand)) continue;
                State saved = Save();
                Focus(s);
                double error = 1e300;
                EqBand codes{};
                if (!Try(cand, error, codes, true)) continue;
                Commit(s, codes, error);
                frozenSlot_ = s;
                frozenCoordinate_ = c;
                Refine();
                frozenSlot_ = -1;
                Refine();
                if (Better(error_, saved.error)) {
                    any = true;
                    continue;
                }
                Restore(std::move(saved));
            }
        }
    }
    return any;
}

void CodeSearch::Prune() {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const int s = static_cast<int>(i);
        if (IsFlat(slots_[s].codes)) continue;
        Focus(s);
        const double flatError = ErrorOf(without_);
        if (std::sqrt(flatError) - std::sqrt(error_) >= kNegligibleDb || !WithinLimits(zeros_.data()))
            continue;
        std::fill(best_.begin(), best_.end(), 0.0);
        Commit(s, slots_[s].flat, flatError);
    }
}

CodeSearch::State CodeSearch::Save() const {
    return {slots_, residual_, error_};
}

void CodeSearch::Restore(State&& state) {
    slots_ = std::move(state.slots);
    residual_ = std::move(state.residual);
    error_ = state.error;
}

void CodeSearch::Build(double progressFrom, double progressTo) {
    for (Slot& slot : slots_) {
        slot.codes = slot.flat;
        std::fill(slot.level.begin(), slot.level.end(), 0.0);
    }
    residual_ = base_;
    error_ = ErrorOf(residual_);
    for (std::size_t s = 0; s < slots_.size() && !Stop(); ++s) {
        if (Place(static_cast<int>(s))) Refine();
        Progress(progressFrom + (progressTo - progressFrom) * (s + 1) / slots_.size());
    }
}

void CodeSearch::Improve(double progressFrom, double progressTo) {
    const double step = (progressTo - progressFrom) / (2 * kRounds);
    Refine();
    for (int round = 0; round < kRounds && !Stop(); ++round) {
        Progress(progressFrom + round * step);
        if (!Reseat()) break;
        Refine();
    }
    Prune();
    // Flat bands get another chance on what is left.
    for (std::size_t s = 0; s < slots_.size() && !Stop(); ++s)
        if (IsFlat(slots_[s].codes)) Place(static_cast<int>(s));
    Refine();
    for (int round = 0; round < kRounds && !Stop(); ++round) {
        Progress(progressFrom + (kRounds + round) * step);
        if (!Kick()) break;
    }
    diagonalSteps_ = true;
    Refine();
    diagonalSteps_ = false;
    Prune();
}

bool CodeSearch::Seed() {
    for (Slot& slot : slots_) {
        slot.codes = slot.flat;
        std::fill(slot.level.begin(), slot.level.end(), 0.0);
    }
    residual_ = base_;
    const auto bands =
        ContinuousFit(p_, base_).Run(static_cast<int>(slots_.size()), [this] { return Stop(); });
    for (std::size_t i = 0; i < bands.size() && i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        EqBand codes = slot.flat;
        codes.BandType = BandPeak;
        codes.FrequencyCode = static_cast<uint16_t>(
            std::clamp(NearestFrequencyCode(bands[i].hz), p_.frequencyCodeMin, p_.frequencyCodeMax));
        codes.GainCode = static_cast<uint8_t>(std::clamp(
            static_cast<int>(std::lround((bands[i].gainDb + 24) / 0.2)), p_.gainCodeMin, p_.gainCodeMax));
        codes.QCode = static_cast<uint8_t>(std::clamp(NearestQCode(bands[i].q), 0, kQCodeMax));
        if (IsFlat(codes)) continue;
        slot.codes = codes;
        LevelsOf(codes, slot.level);
        for (int j = 0; j < n_; ++j) residual_[j] -= slot.level[j];
    }
    error_ = ErrorOf(residual_);
    if (bands.empty()) return false;
    without_ = residual_;  // no slot focused: the limits see all the fitted bands
    return WithinLimits(zeros_.data());
}

// Four starts that differ in where each new band goes and how wide it may be: where it helps most
// among the largest peaks of the deviation, simply at the largest peak, or where it helps most with
// only broad bands (Q up to 1.26) while the bands are first placed; and the continuous fit rounded to
// codes. Fits of this kind have many local minima, and the starts seldom end in the same one; the
// best end result is kept.
void CodeSearch::Run() {
    if (slots_.empty() || n_ <= 0) return;
    constexpr Start kStarts[] = {{8, kQCodeMax}, {1, kQCodeMax}, {8, 20}};
    constexpr double kShare = 1.0 / (std::size(kStarts) + 1);
    Progress(0);
    std::optional<State> best;
    auto keep = [&] {
        if (!best || Better(error_, best->error)) best = Save();
    };
    for (std::size_t i = 0; i < std::size(kStarts) && !Stop(); ++i) {
        start_ = kStarts[i];
        Build(i * kShare, (i + 0.4) * kShare);
        start_.highestQCode = kQCodeMax;  // from here on every band may take any Q
        Improve((i + 0.4) * kShare, (i + 1) * kShare);
        Progress((i + 1) * kShare);
        keep();
    }
    const double from = std::size(kStarts) * kShare;
    if (!Stop() && Seed()) {
        Progress(from + 0.4 * kShare);
        Improve(from + 0.4 * kShare, 1);
        keep();
    }
    if (best) Restore(std::move(*best));
    Progress(1);
}

}  // namespace pavo
