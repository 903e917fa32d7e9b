#include "autoeq/ContinuousFit.h"

#include <algorithm>
#include <cmath>

#include "eq/FilterResponse.h"
#include "model/CodeTables.h"

namespace pavo {
namespace {

constexpr int kMaxIterations = 100;               // of each refinement; it has mostly settled after 20
constexpr double kSettled = 1e-7;                 // relative fall of the cost below which a refinement ends
constexpr double kSteps[3] = {1e-5, 1e-3, 1e-5};  // forward-difference steps of log2 Hz, dB, log2 Q

// Solves (A) x = b for a symmetric positive definite A (m x m, row-major) by Cholesky; b becomes x.
// False when A is not positive definite.
bool SolveSpd(std::vector<double> A, std::vector<double>& b, int m) {
    for (int c = 0; c < m; ++c) {
        double d = A[c * m + c];
        for (int k = 0; k < c; ++k) d -= A[c * m + k] * A[c * m + k];
        if (!(d > 0)) return false;
        d = std::sqrt(d);
        A[c * m + c] = d;
        for (int r = c + 1; r < m; ++r) {
            double s = A[r * m + c];
            for (int k = 0; k < c; ++k) s -= A[r * m + k] * A[c * m + k];
            A[r * m + c] = s / d;
        }
    }
    for (int r = 0; r < m; ++r) {
        double s = b[r];
        for (int k = 0; k < r; ++k) s -= A[r * m + k] * b[k];
        b[r] = s / A[r * m + r];
    }
    for (int r = m - 1; r >= 0; --r) {
        double s = b[r];
        for (int k = r + 1; k < m; ++k) s -= A[k * m + r] * b[k];
        b[r] = s / A[r * m + r];
    }
    return true;
}

void RemoveMean(std::vector<double>& v) {
    double mean = 0;
    for (double e : v) mean += e;
    mean /= static_cast<double>(v.size());
    for (double& e : v) e -= mean;
}

}  // namespace

ContinuousFit::ContinuousFit(const FitProblem& problem, std::vector<double> deviation)
    : p_(problem), n_(problem.span.Count()), deviation_(std::move(deviation)) {
    lo_ = {std::log2(FrequencyTable()[p_.frequencyCodeMin]), p_.gainCodeMin * 0.2 - 24,
           std::log2(QTable().front())};
    hi_ = {std::log2(FrequencyTable()[p_.frequencyCodeMax]), p_.gainCodeMax * 0.2 - 24,
           std::log2(QTable().back())};
}

void ContinuousFit::Levels(const Params& x, std::vector<double>& out) const {
    GridLevels level;
    level.fill(1.0);
    AccumulateSectionPower(DesignEqBand(BandPeak, std::exp2(x[0]), std::exp2(x[2]), x[1]), level,
                           p_.span.first, p_.span.last);
    PowerToDb(level, level, p_.span.first, p_.span.last);
    out.assign(level.begin() + p_.span.first, level.begin() + p_.span.first + n_);
}

// The squared error about its mean of the deviation less the bands at `levels`.
double ContinuousFit::Cost(const std::vector<std::vector<double>>& levels) const {
    double sum = 0, squares = 0;
    for (int j = 0; j < n_; ++j) {
        double e = deviation_[j];
        for (const auto& level : levels) e -= level[j];
        sum += e;
        squares += e * e;
    }
    return std::max(0.0, squares - sum * sum / n_);
}

void ContinuousFit::Clamp(Params& x) const {
    for (int k = 0; k < 3; ++k) x[k] = std::clamp(x[k], lo_[k], hi_[k]);
}

// A new band at the largest deviation left that the limits let a band correct, with the best of a few Q
// values, each at its least-squares gain; false when no band lowers the cost.
bool ContinuousFit::Place() {
    std::vector<double> left = deviation_;
    for (const auto& level : levels_)
        for (int j = 0; j < n_; ++j) left[j] -= level[j];
    RemoveMean(left);
    int at = -1;
    for (int j = 0; j < n_; ++j) {
        const int code = p_.span.first + j - kFrequencyGridOffset;
        if (code < p_.frequencyCodeMin || code > p_.frequencyCodeMax) continue;
        if ((left[j] > 0 && hi_[1] <= 0) || (left[j] < 0 && lo_[1] >= 0)) continue;  // the limits forbid it
        if (at < 0 || std::abs(left[j]) > std::abs(left[at])) at = j;
    }
    if (at < 0 || left[at] == 0) return false;

    double bestCost = 0;
    for (double e : left) bestCost += e * e;
    Params best{};
    std::vector<double> bestLevel, level;
    const double trialDb = std::clamp(left[at], lo_[1], hi_[1]);
    if (trialDb == 0) return false;
    for (double q = 0.5; q <= 16; q *= std::sqrt(2.0)) {
        Params x{std::log2(FrequencyTable()[p_.span.first + at - kFrequencyGridOffset]), trialDb,
                 std::log2(q)};
        Clamp(x);
        // The response in dB scales nearly in proportion to the gain: its shape gives the gain.
        Levels(x, level);
        RemoveMean(level);
        double sl = 0, ll = 0;
        for (int j = 0; j < n_; ++j) {
            sl += level[j] * left[j];
            ll += level[j] * level[j];
        }
        if (ll > 0) x[1] = trialDb * sl / ll;
        Clamp(x);
        if (x[1] == 0) continue;
        Levels(x, level);
        double mean = 0;
        for (int j = 0; j < n_; ++j) mean += (left[j] - level[j]) / n_;
        double cost = 0;
        for (int j = 0; j < n_; ++j) cost += (left[j] - level[j] - mean) * (left[j] - level[j] - mean);
        if (cost < bestCost) {
            bestCost = cost;
            best = x;
            bestLevel = level;
        }
    }
    if (bestLevel.empty()) return false;
    x_.push_back(best);
    levels_.push_back(std::move(bestLevel));
    return true;
}

void ContinuousFit::Refine(const std::function<bool()>& stop) {
    const int bands = static_cast<int>(x_.size());
    const int m = 3 * bands;
    double cost = Cost(levels_);
    double lambda = 1e-3;
    std::vector<std::vector<double>> J(m, std::vector<double>(n_));
    std::vector<double> r(n_), A(m * m), g(m), level;
    for (int iteration = 0; iteration < kMaxIterations && !stop(); ++iteration) {
        for (int j = 0; j < n_; ++j) {
            r[j] = deviation_[j];
            for (const auto& l : levels_) r[j] -= l[j];
        }
        RemoveMean(r);
        for (int i = 0; i < m; ++i) {
            Params x = x_[i / 3];
            const int k = i % 3;
            // Step inwards at an upper bound, so the difference stays inside the range.
            const double h = x[k] + kSteps[k] > hi_[k] ? -kSteps[k] : kSteps[k];
            x[k] += h;
            Levels(x, level);
            const std::vector<double>& was = levels_[i / 3];
            for (int j = 0; j < n_; ++j) J[i][j] = (level[j] - was[j]) / h;
            RemoveMean(J[i]);
        }
        for (int a = 0; a < m; ++a) {
            for (int b = 0; b <= a; ++b) {
                double s = 0;
                for (int j = 0; j < n_; ++j) s += J[a][j] * J[b][j];
                A[a * m + b] = A[b * m + a] = s;
            }
            double s = 0;
            for (int j = 0; j < n_; ++j) s += J[a][j] * r[j];
            g[a] = s;
        }
        bool improved = false, settled = true;
        while (lambda < 1e10) {
            std::vector<double> M = A, d = g;
            for (int a = 0; a < m; ++a) M[a * m + a] += lambda * A[a * m + a] + 1e-12;
            if (!SolveSpd(std::move(M), d, m)) {
                lambda *= 10;
                continue;
            }
            std::vector<Params> x = x_;
            std::vector<std::vector<double>> levels(bands);
            for (int b = 0; b < bands; ++b) {
                for (int k = 0; k < 3; ++k) x[b][k] += d[3 * b + k];
                Clamp(x[b]);
                Levels(x[b], levels[b]);
            }
            const double c = Cost(levels);
            if (c < cost) {
                settled = cost - c < kSettled * cost;
                improved = true;
                x_ = std::move(x);
                levels_ = std::move(levels);
                cost = c;
                lambda = std::max(lambda / 10, 1e-9);
                break;
            }
            lambda *= 10;
        }
        if (!improved || settled) break;
    }
}

std::vector<ContinuousFit::Band> ContinuousFit::Run(int bands, const std::function<bool()>& stop) {
    x_.clear();
    levels_.clear();
    for (int b = 0; b < bands && !stop(); ++b) {
        if (!Place()) break;
        Refine(stop);
    }
    std::vector<Band> out;
    for (const Params& x : x_) out.push_back({std::exp2(x[0]), x[1], std::exp2(x[2])});
    return out;
}

}  // namespace pavo
