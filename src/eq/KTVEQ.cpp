#include "eq/KTVEQ.h"

#include "eq/DoublePair.h"

namespace pavo {

CFilter& CKTVEQ::Append() {
    members_.push_back(std::make_unique<CFilter>());
    return *members_.back();
}

void CKTVEQ::CreateBands(int n, EqBand* first, FilterSetting* highPass, FilterSetting* lowPass,
                         std::mutex* lock) {
    DeleteAll();
    members_.reserve(n + 2);
    for (int i = 0; i < n; ++i) {
        CFilter& f = Append();
        f.SetBandNumber(i + 1);
        f.AttachBand(first[i], lock);
    }
    bandCount_ = n;
    if (highPass) {
        CFilter& f = Append();
        f.SetType(FilterType::HighPass);
        f.AttachFilterSetting(*highPass, lock);
        highPassIndex_ = n;
    }
    if (lowPass) {
        CFilter& f = Append();
        f.SetType(FilterType::LowPass);
        f.AttachFilterSetting(*lowPass, lock);
        lowPassIndex_ = GetSize() - 1;
    }
}

void CKTVEQ::CreateDynamicBands(DynEqBand* first, std::mutex* lock) {
    DeleteAll();
    constexpr int kDynamicBands = 3;
    members_.reserve(kDynamicBands);
    for (int i = 0; i < kDynamicBands; ++i) {
        CFilter& f = Append();
        f.SetBandNumber(i + 1);
        f.SetNarrowGainRange(true);
        f.AttachBand(first[i].Band, lock);
    }
    bandCount_ = kDynamicBands;
}

void CKTVEQ::DeleteAll() {
    members_.clear();
    bandCount_ = 0;
    highPassIndex_ = lowPassIndex_ = -1;
}

bool CKTVEQ::Reload() {
    bool any = false;
    for (auto& m : members_) any |= m->Reload();
    return any;
}

void CKTVEQ::SetPlotRect(const PlotRect& plot) {
    plotHeight_ = plot.Height();
    plotWidth_ = plot.Width();
    for (int k = 0; k < kGridPoints; ++k)
        sumCurve_[k].x = static_cast<float>(GridPointToX(k, plotWidth_) + kPlotLeft);
    for (auto& m : members_) m->SetPlotSize(plot);
}

void CKTVEQ::SumResponse() {
    // Twelve grid points at a time, their sums held in registers while the members are added in
    // order: the same sums as point by point, without a store and reload per member.
    static_assert(kGridPoints % 12 == 0);
    const double scale = plotHeight_ / 36.0;
    for (int k = 0; k < kGridPoints; k += 12) {
        DoublePair s0{}, s1{}, s2{}, s3{}, s4{}, s5{};
        for (const auto& m : members_) {
            const double* level = m->LevelDb().data() + k;
            s0 += LoadPair(level);
            s1 += LoadPair(level + 2);
            s2 += LoadPair(level + 4);
            s3 += LoadPair(level + 6);
            s4 += LoadPair(level + 8);
            s5 += LoadPair(level + 10);
        }
        double sum[12];
        StorePair(sum, s0);
        StorePair(sum + 2, s1);
        StorePair(sum + 4, s2);
        StorePair(sum + 6, s3);
        StorePair(sum + 8, s4);
        StorePair(sum + 10, s5);
        for (int j = 0; j < 12; ++j)
            sumCurve_[k + j].y = static_cast<float>(scale * (12 - sum[j]) + kPlotTop);
    }
}

}  // namespace pavo
