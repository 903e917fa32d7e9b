#pragma once
// CKTVEQ: the band set of one EQ block. It owns one CFilter per band, then the block's high-pass and
// low-pass filter objects (a dynamic-EQ set has only its three bands), in that fixed order: the graph
// and the pages address members by index. It also keeps the summed response the graph draws.
//
// Like CFilter, a band set on a model's records takes that model's lock itself where it touches them
// (the lock given at creation); callers must not hold it.
#include <array>
#include <memory>
#include <vector>

#include "eq/Filter.h"

namespace pavo {

class CKTVEQ {
public:
    CKTVEQ() = default;
    CKTVEQ(const CKTVEQ&) = delete;
    CKTVEQ& operator=(const CKTVEQ&) = delete;
    ~CKTVEQ() { DeleteAll(); }

    // n bands on the n consecutive records from `first`, then the filters when both records are given.
    void CreateBands(int n, EqBand* first, FilterSetting* highPass, FilterSetting* lowPass,
                     std::mutex* lock = nullptr);
    // Three bands with the narrow gain range on the EqBand part of three consecutive dynamic-EQ bands.
    void CreateDynamicBands(DynEqBand* first, std::mutex* lock = nullptr);
    void DeleteAll();

    // The filter members; null for a set created without filter records.
    CFilter* GetHighPass() const { return At(highPassIndex_); }
    CFilter* GetLowPass() const { return At(lowPassIndex_); }

    // Each member reloads itself from the record it was created on and recalculates where the record
    // changed; true when any did.
    bool Reload();

    void SetPlotRect(const PlotRect& plot);
    // Recomputes the y of every sumCurve point from the members' current levels.
    void SumResponse();

    int GetSize() const { return static_cast<int>(members_.size()); }
    CFilter* GetAt(int index) const { return At(index); }
    CFilter& operator[](int index) const { return *members_[index]; }

    const std::array<PlotPointF, kGridPoints>& SumCurve() const { return sumCurve_; }
    int BandCount() const { return bandCount_; }
    int HighPassIndex() const { return highPassIndex_; }
    int LowPassIndex() const { return lowPassIndex_; }
    int PlotWidth() const { return plotWidth_; }
    int PlotHeight() const { return plotHeight_; }

private:
    CFilter* At(int index) const { return index >= 0 && index < GetSize() ? members_[index].get() : nullptr; }
    CFilter& Append();

    std::vector<std::unique_ptr<CFilter>> members_;
    std::array<PlotPointF, kGridPoints> sumCurve_{};
    int plotHeight_ = 0;
    int plotWidth_ = 0;
    int bandCount_ = 0;
    int highPassIndex_ = -1;
    int lowPassIndex_ = -1;
};

}  // namespace pavo
