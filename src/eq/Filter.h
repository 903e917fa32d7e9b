#pragma once
// CFilter: the display model of one EQ band or of one high-pass / low-pass filter of a block. It is
// bound to the band's record in the current program image, keeps the band's level at every grid
// point, turns it into graph geometry (outline, handle, info-text rectangle) and turns drags on the
// graph back into the record's codes. It never sends anything: the change scanner finds its edits.
//
// Locking: a filter bound to a model's record is given that model's lock; every operation that reads
// or writes the record takes it itself, only for those few bytes, and releases it before computing or
// calling out (the linked slider). Callers must NOT hold the model lock when they call a CFilter. A
// filter on records of the caller's own (no lock given) reads and writes them directly. The object
// itself belongs to the UI thread.
//
// The levels are a function of the record and the plot size: Reload() recomputes them only when the
// record's bytes differ from those they were computed from.
#include <array>
#include <mutex>
#include <string>

#include "eq/FilterResponse.h"
#include "eq/PlotGeometry.h"
#include "model/Records.h"

namespace pavo {

// The type of a CFilter. 0..3 are also the EqBand type byte; a record may hold other values, which
// keep the levels as they were.
enum class FilterType : int { Bypass = 0, Peak = 1, LowShelf = 2, HighShelf = 3, HighPass = 4, LowPass = 5 };

// A control that a gain drag moves (the vertical gain slider of a band strip).
class GainSliderLink {
public:
    virtual void SetInvertedPos(int gainCode) = 0;

protected:
    ~GainSliderLink() = default;
};

constexpr int kOutlinePoints = kGridPoints + 2;

class CFilter {
public:
    CFilter() = default;
    CFilter(const CFilter&) = delete;
    CFilter& operator=(const CFilter&) = delete;
    virtual ~CFilter() = default;

    // Binding: reload everything from the record and recalculate. `lock`: the lock guarding the record
    // (its model's), or null for a record of the caller's own.
    void AttachBand(EqBand& band, std::mutex* lock = nullptr);
    void AttachFilterSetting(FilterSetting& setting, std::mutex* lock = nullptr);
    // Reloads from the bound record when its bytes changed since the last calculation; true if so.
    bool Reload();

    // Setters: write the record and recalculate. Codes are not range-checked except the Q code.
    void SetFrequencyCode(int code);
    void SetFilterFrequencyCode(int code);
    void SetGainCode(int code);
    void SetQCode(int code);
    void SetType(FilterType type);
    void SetSlopeCode(int code);
    void SetBandNumber(int n);
    void SetLinkedSlider(GainSliderLink* slider) { linkedSlider_ = slider; }
    void SetNarrowGainRange(bool narrow) { narrowGainRange_ = narrow; }
    void SetPlotSize(const PlotRect& plot);
    void Recalculate();

    // The one-line description shown beside the selected handle; also kept as InfoText().
    std::string GetInfoText();

    FilterType GetType() const { return type_; }
    bool IsFilterType() const;  // a high-pass or low-pass, not a band
    std::string GetLabel() const { return label_; }
    int GetFrequencyCode() const;  // band's for 0..3, filter setting's for 4..5
    int GetGainCode() const;

    // Drags on the graph (mouse points in the graph control's client coordinates); what the mouse
    // holds is the graph's (eq/GraphDrag.h). `grab` is where the handle was taken, from its centre
    // (GrabOffset at the press). Each returns whether it changed anything; before SetPlotSize there
    // is no plot to drag on, and the moves return false.
    PlotPoint GrabOffset(PlotPoint mouse) const;
    bool DragBand(PlotPoint mouse, PlotPoint grab);
    // The Q code `qCodeAtStart` plus one step per 10 pixels right of the handle's centre.
    bool DragQ(int mouseX, int qCodeAtStart);
    bool DragFilter(PlotPoint mouse, PlotPoint grab);

    // Results.
    const GridLevels& LevelDb() const { return levelDb_; }
    const GridResponse& Response() const { return response_; }  // biquad types only
    const std::array<PlotPoint, kOutlinePoints>& Outline() const { return outline_; }
    const PlotRect& HandleRect() const { return handleRect_; }
    const PlotRect& TextRect() const { return textRect_; }
    const std::string& InfoText() const { return infoText_; }

    // Copies of the bound records, taken under their lock (zero when none is bound).
    EqBand BandRecord() const;
    FilterSetting SettingRecord() const;

    // Members as they stand (for the band set, the graph and the pages).
    EqBand* Band() const { return band_; }
    FilterSetting* Setting() const { return setting_; }
    int BandNumber() const { return bandNumber_; }
    double Frequency() const { return frequency_; }
    double Gain() const { return gain_; }
    double Q() const { return q_; }
    int SlopeCode() const { return slopeCode_; }
    bool NarrowGainRange() const { return narrowGainRange_; }
    int PlotWidth() const { return width_; }
    int PlotHeight() const { return height_; }

private:
    template <class Record>
    bool Snapshot(const Record* record, Record& copy) const;
    template <class Record, class Edit>
    void WriteRecord(Record* record, Edit edit);
    bool IsEqType() const;
    void RecalculateBand(const EqBand& snapshot);
    void RecalculateFilter(const FilterSetting& snapshot);
    void SetFlat();
    void UpdateOutline();
    void PlaceBandHandle(int gainCode);
    void PlaceFilterHandle();

    GridResponse response_{};
    GridLevels levelDb_{};
    std::array<PlotPoint, kOutlinePoints> outline_{};
    PlotRect handleRect_;
    PlotRect textRect_;
    GainSliderLink* linkedSlider_ = nullptr;
    EqBand* band_ = nullptr;
    FilterSetting* setting_ = nullptr;
    std::mutex* lock_ = nullptr;
    // The record's bytes the levels were last computed from (Reload compares them).
    EqBand loadedBand_{};
    FilterSetting loadedSetting_{};
    bool narrowGainRange_ = false;
    FilterType type_ = FilterType::Peak;
    double frequency_ = 20.0;
    double gain_ = 0.0;
    double q_ = 0.3;
    int slopeCode_ = 0;
    int width_ = 0;
    int height_ = 0;
    int bandNumber_ = -1;
    std::string label_;
    std::string infoText_;
};

}  // namespace pavo
