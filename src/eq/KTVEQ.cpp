#include "eq/KTVEQ.h"

namespace pavo {

CFilter& CKTVEQ::Append() {
    members_.push_back(std::make_unique<CFilter>());
    return *members_.back();
}

void CKTVEQ::CreateBands(int n, EqBand* first, FilterSetting* highPass, FilterSetting* lowPass) {
    DeleteAll();
    members_.reserve(n + 2);
    for (int i = 0; i < n; ++i) {
        CFilter& f = Append();
        f.SetBandNumber(i + 1);
        f.AttachBand(first[i]);
    }
    bandCount_ = n;
    if (highPass) {
        CFilter& f = Append();
        f.SetType(FilterType::HighPass);
        f.AttachFilterSetting(*highPass);
        highPassIndex_ = n;
    }
    if (lowPass) {
        CFilter& f = Append();
        f.SetType(FilterType::LowPass);
        f.AttachFilterSetting(*lowPass);
        lowPassIndex_ = GetSize() - 1;
    }
}

void CKTVEQ::CreateDynamicBands(DynEqBand* first) {
    DeleteAll();
    constexpr int kDynamicBands = 3;
    members_.reserve(kDynamicBands);
    for (int i = 0; i < kDynamicBands; ++i) {
        CFilter& f = Append();
        f.SetBandNumber(i + 1);
        f.SetNarrowGainRange(true);
        f.AttachBand(first[i].Band);
    }
    bandCount_ = kDynamicBands;
}

void CKTVEQ::DeleteAll() {
    members_.clear();
    bandCount_ = 0;
    highPassIndex_ = lowPassIndex_ = -1;
}

void CKTVEQ::RebindBands() {
    for (int i = 0; i < bandCount_ && i < GetSize(); ++i)
        if (EqBand* b = members_[i]->Band()) members_[i]->AttachBand(*b);
}

void CKTVEQ::RebindFilters() {
    for (CFilter* f : {GetHighPass(), GetLowPass()})
        if (f && f->Setting()) f->AttachFilterSetting(*f->Setting());
}

void CKTVEQ::SetPlotRect(const PlotRect& plot) {
    plotHeight_ = plot.Height();
    plotWidth_ = plot.Width();
    const auto& grid = ResponseGrid();
    for (int k = 0; k < kGridPoints; ++k)
        sumCurve_[k].x = static_cast<float>(FrequencyToX(grid[k], plotWidth_) + kPlotLeft);
    for (auto& m : members_) m->SetPlotSize(plot);
}

void CKTVEQ::SumResponse() {
    // Member by member over the whole grid: the same sums, in the same order, as point by point.
    GridLevels sum{};
    for (const auto& m : members_) {
        const GridLevels& level = m->LevelDb();
        for (int k = 0; k < kGridPoints; ++k) sum[k] += level[k];
    }
    for (int k = 0; k < kGridPoints; ++k)
        sumCurve_[k].y = static_cast<float>(LevelToY(sum[k], plotHeight_) + kPlotTop);
}

}  // namespace pavo
