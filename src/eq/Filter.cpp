#include "eq/Filter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "model/CodeTables.h"
#include "model/DataConver.h"

namespace pavo {
namespace {

constexpr int kHandleSize = 16;
constexpr int kHalfHandle = 8;
constexpr double kDragMinHz = 19.7;
constexpr double kDragMaxHz = 20600;

double GainOfCode(int code) {
    return code * 0.2 - 24;
}
int GainCodeOf(double gainDb) {
    return static_cast<int>((gainDb + 24) / 0.2 + 0.5);
}

bool SameBytes(const EqBand& a, const EqBand& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool SameBytes(const FilterSetting& a, const FilterSetting& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

template <class Record>
bool CFilter::Snapshot(const Record* record, Record& copy) const {
    if (!record) return false;
    if (!lock_) {
        copy = *record;
        return true;
    }
    std::lock_guard<std::mutex> guard(*lock_);
    copy = *record;
    return true;
}

template <class Record, class Edit>
void CFilter::WriteRecord(Record* record, Edit edit) {
    if (!record) return;
    if (!lock_) {
        edit(*record);
        return;
    }
    std::lock_guard<std::mutex> guard(*lock_);
    edit(*record);
}

double GridPointToX(int k, int width) {
    static const std::array<double, kGridPoints> logs = [] {
        std::array<double, kGridPoints> l{};
        for (int i = 0; i < kGridPoints; ++i) l[i] = std::log10(ResponseGrid()[i]);
        return l;
    }();
    return (logs[k] - 1) * width / (std::log10(30000.0) - 1);
}

bool CFilter::IsEqType() const {
    const int t = static_cast<int>(type_);
    return t >= 0 && t <= 3;
}

bool CFilter::IsFilterType() const {
    return type_ == FilterType::HighPass || type_ == FilterType::LowPass;
}

void CFilter::AttachBand(EqBand& band, std::mutex* lock) {
    lock_ = lock;
    band_ = &band;
    EqBand snap;
    int qCode;
    WriteRecord(band_, [&](EqBand& b) {
        snap = b;
        qCode = std::clamp<int>(snap.QCode, 0, kQCodeMax);
        // The Q code goes back to the record as SetQCode would write it (clamped).
        if (IsEqType() && qCode != b.QCode) b.QCode = static_cast<uint8_t>(qCode);
    });
    frequency_ = FrequencyAt(snap.FrequencyCode);
    q_ = QAt(qCode);
    gain_ = GainOfCode(snap.GainCode);
    type_ = static_cast<FilterType>(snap.BandType);
    Recalculate();
}

bool CFilter::Reload() {
    if (band_) {
        EqBand now;
        Snapshot(band_, now);
        if (SameBytes(now, loadedBand_)) return false;
        AttachBand(*band_, lock_);
        return true;
    }
    if (setting_) {
        FilterSetting now;
        Snapshot(setting_, now);
        if (SameBytes(now, loadedSetting_)) return false;
        AttachFilterSetting(*setting_, lock_);
        return true;
    }
    return false;
}

void CFilter::AttachFilterSetting(FilterSetting& setting, std::mutex* lock) {
    lock_ = lock;
    setting_ = &setting;
    FilterSetting snap;
    Snapshot(setting_, snap);
    frequency_ = CrossoverAt(snap.FrequencyCode);
    slopeCode_ = snap.SlopeCode;
    Recalculate();
}

void CFilter::SetFrequencyCode(int code) {
    frequency_ = FrequencyAt(code);
    WriteRecord(band_, [&](EqBand& b) { b.FrequencyCode = static_cast<uint16_t>(code); });
    Recalculate();
}

void CFilter::SetFilterFrequencyCode(int code) {
    frequency_ = CrossoverAt(code);
    WriteRecord(setting_, [&](FilterSetting& s) { s.FrequencyCode = static_cast<uint16_t>(code); });
    Recalculate();
}

void CFilter::SetGainCode(int code) {
    WriteRecord(band_, [&](EqBand& b) { b.GainCode = static_cast<uint8_t>(code); });
    gain_ = GainOfCode(code);
    Recalculate();
}

void CFilter::SetQCode(int code) {
    code = std::clamp(code, 0, kQCodeMax);
    q_ = QTable()[code];
    if (IsEqType()) WriteRecord(band_, [&](EqBand& b) { b.QCode = static_cast<uint8_t>(code); });
    Recalculate();
}

void CFilter::SetType(FilterType type) {
    type_ = type;
    if (type == FilterType::HighPass) label_ = "H";
    if (type == FilterType::LowPass) label_ = "L";
    if (!band_) return;
    WriteRecord(band_, [&](EqBand& b) { b.BandType = static_cast<uint8_t>(type); });
    Recalculate();
}

void CFilter::SetSlopeCode(int code) {
    slopeCode_ = code;
    WriteRecord(setting_, [&](FilterSetting& s) { s.SlopeCode = static_cast<uint8_t>(code); });
    Recalculate();
}

void CFilter::SetBandNumber(int n) {
    bandNumber_ = n;
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    label_ = text;
}

void CFilter::SetPlotSize(const PlotRect& plot) {
    width_ = plot.Width();
    height_ = plot.Height();
    const int zeroY = TruncPixel(LevelToY(0, height_)) + kPlotTop;
    outline_[0] = {kPlotLeft, zeroY};
    outline_[kOutlinePoints - 1] = {width_ + kPlotLeft, zeroY};
    for (int k = 0; k < kGridPoints; ++k)
        outline_[k + 1].x = std::min(TruncPixel(GridPointToX(k, width_)) + kPlotLeft, width_ + kPlotLeft);
    Recalculate();
}

void CFilter::Recalculate() {
    if (IsEqType()) {
        EqBand snap;
        if (Snapshot(band_, snap)) {
            loadedBand_ = snap;
            RecalculateBand(snap);
        } else {  // not bound yet: the members stand for the record
            EqBand own{};
            own.FrequencyCode = static_cast<uint16_t>(NearestFrequencyCode(frequency_));
            own.GainCode = static_cast<uint8_t>(std::clamp(GainCodeOf(gain_), 0, 255));
            own.QCode = static_cast<uint8_t>(NearestQCode(q_));
            RecalculateBand(own);
        }
    } else if (IsFilterType()) {
        FilterSetting snap{};
        if (Snapshot(setting_, snap))
            loadedSetting_ = snap;
        else
            snap.SlopeCode = 0;  // nothing bound: flat
        RecalculateFilter(snap);
    } else if (band_) {
        Snapshot(band_, loadedBand_);  // a type without levels of its own keeps them as they were
    }
    UpdateOutline();
}

void CFilter::RecalculateBand(const EqBand& b) {
    if (type_ == FilterType::Bypass) {
        SetFlat();
        response_.fill({1.0, 0.0});
    } else {
        const Biquad s = DesignEqBand(static_cast<int>(type_), FrequencyAt(b.FrequencyCode), QAt(b.QCode),
                                      GainOfCode(b.GainCode));
        EvaluateSection(s, response_, levelDb_);
    }
    PlaceBandHandle(b.GainCode);
}

void CFilter::RecalculateFilter(const FilterSetting& f) {
    const SlopeInfo slope = SlopeOf(f.SlopeCode);  // codes outside 0..12 show flat
    if (slope.order == 0) {
        SetFlat();
    } else {
        // The cascade's kind is the record's, which agrees with the object's type in every band set.
        const bool highPass = f.Kind == FilterKindHighPass;
        const double fc = CrossoverAt(f.FrequencyCode);
        GridLevels power;
        power.fill(1.0);
        for (int s = 0; s < slope.order / 2; ++s)
            AccumulateSectionPower(
                DesignCrossoverSection(highPass, fc, SectionQ(slope.family, slope.order, s)), power);
        if (slope.order == 1 || slope.order == 3)
            AccumulateSectionPower(DesignFirstOrder(highPass, fc), power);
        PowerToDb(power, levelDb_);
    }
    PlaceFilterHandle();
}

void CFilter::SetFlat() {
    levelDb_.fill(0.0);
}

void CFilter::UpdateOutline() {
    for (int k = 0; k < kGridPoints; ++k)
        outline_[k + 1].y = TruncPixel(LevelToY(levelDb_[k], height_)) + kPlotTop;
}

void CFilter::PlaceBandHandle(int gainCode) {
    const int W = width_, H = height_;
    int x = TruncPixel(FrequencyToX(frequency_, W)) - kHalfHandle;
    int y = TruncPixel(LevelToY(GainOfCode(gainCode), H)) - kHalfHandle;
    if (x < -kHalfHandle) x = -kHalfHandle;
    if (y < -kHalfHandle) y = -kHalfHandle;
    if (y <= 0) y = 0;
    int right = x + kHandleSize, bottom = y + kHandleSize;
    if (right > W) {
        right = W;
        x = W - kHandleSize;
    }
    if (bottom >= H) {
        bottom = H;
        y = H - kHandleSize;
    }
    handleRect_ = {x + kPlotLeft, y + kPlotTop, right + kPlotLeft, bottom + kPlotTop};

    PlotRect& t = textRect_;
    t.left = handleRect_.left - 100;
    t.right = handleRect_.right + 100;
    if (t.right > W + kPlotLeft) {
        t.right = W + kPlotLeft;
        t.left = t.right - 200;
    } else if (t.left < kPlotLeft) {
        t.left = kPlotLeft;
        t.right = kPlotLeft + 200;
    }
    if (type_ == FilterType::Bypass || gainCode >= kGainCodeFlat) {  // a boost: text below the handle
        t.top = handleRect_.top + 35;
        t.bottom = handleRect_.bottom + 85;
    } else {  // a cut: text around the handle's top
        t.top = handleRect_.top - 50;
        t.bottom = handleRect_.top + 50;
    }
}

void CFilter::PlaceFilterHandle() {
    const int W = width_, H = height_;
    const bool highPass = type_ == FilterType::HighPass;
    int x = TruncPixel(FrequencyToX(frequency_, W)) - kHalfHandle;
    const int y = TruncPixel(LevelToY(highPass ? 2 : 0, H));
    if (x < -7) x = -kHalfHandle;
    int right = x + kHandleSize;
    const int bottom = y + kHandleSize;
    if (right > W + kHalfHandle) {
        right = W + kHalfHandle;
        x = W - kHalfHandle;
    }
    handleRect_ = {x + kPlotLeft, y + kPlotTop, right + kPlotLeft, bottom + kPlotTop};

    PlotRect& t = textRect_;
    t.top = highPass ? handleRect_.top + 15 : handleRect_.top - 15;
    if (handleRect_.right + 50 > W + kPlotLeft) {
        t.right = W + kPlotLeft;
        t.left = t.right - 66;
    } else {
        t.left = handleRect_.left;
        t.right = handleRect_.right + 50;
    }
    t.bottom = highPass ? handleRect_.bottom + 25 : handleRect_.bottom + 20;
}

EqBand CFilter::BandRecord() const {
    EqBand copy{};
    Snapshot(band_, copy);
    return copy;
}

FilterSetting CFilter::SettingRecord() const {
    FilterSetting copy{};
    Snapshot(setting_, copy);
    return copy;
}

int CFilter::GetFrequencyCode() const {
    if (IsFilterType()) {
        FilterSetting snap{};
        return Snapshot(setting_, snap) ? snap.FrequencyCode.get() : 0;
    }
    EqBand snap{};
    return Snapshot(band_, snap) ? snap.FrequencyCode.get() : 0;
}

int CFilter::GetGainCode() const {
    EqBand snap{};
    return Snapshot(band_, snap) ? snap.GainCode : GainCodeOf(gain_);
}

PlotPoint CFilter::GrabOffset(PlotPoint mouse) const {
    const PlotPoint c = handleRect_.Centre();
    return {mouse.x - c.x, mouse.y - c.y};
}

bool CFilter::DragBand(PlotPoint mouse, PlotPoint grab) {
    if (!IsEqType() || !band_ || width_ <= 0 || height_ <= 0) return false;
    const PlotPoint c = handleRect_.Centre();
    if (c.x + grab.x == mouse.x && c.y + grab.y == mouse.y) return true;

    const int x = std::clamp(mouse.x - grab.x - kPlotLeft, 0, width_);
    const int y = std::clamp(mouse.y - grab.y - kPlotTop, 0, height_);
    double frequency = XToFrequency(x, width_);
    double gain = YToLevel(y, height_);
    if (gain > 12) gain = 12;
    const double floor = narrowGainRange_ ? -12 : -24;
    if (gain < floor) gain = floor;
    frequency = std::clamp(frequency, kDragMinHz, kDragMaxHz);

    const int code = NearestFrequencyCode(frequency);
    frequency_ = FrequencyTable()[code];
    gain_ = gain;
    const int gainCode = GainCodeOf(gain);
    WriteRecord(band_, [&](EqBand& b) {
        b.FrequencyCode = static_cast<uint16_t>(code);
        b.GainCode = static_cast<uint8_t>(gainCode);
    });
    if (linkedSlider_) linkedSlider_->SetInvertedPos(gainCode);
    Recalculate();
    return true;
}

bool CFilter::DragQ(int mouseX, int qCodeAtStart) {
    if (!IsEqType()) return false;
    const int q = qCodeAtStart + (mouseX - handleRect_.Centre().x) / 10;  // one step per 10 pixels
    SetQCode(std::clamp(q, 0, kQCodeMax));
    return true;
}

bool CFilter::DragFilter(PlotPoint mouse, PlotPoint grab) {
    if (!IsFilterType() || !setting_ || width_ <= 0 || height_ <= 0) return false;
    int x = mouse.x - grab.x - kPlotLeft;
    if (x < 1 && type_ == FilterType::HighPass) {
        // Pulled to the left edge: the high-pass is switched off and shown flat.
        WriteRecord(setting_, [&](FilterSetting& s) {
            s.FrequencyCode = 0;
            loadedSetting_ = s;  // shown flat until the record changes again
        });
        SetFlat();
        PlaceFilterHandle();
        UpdateOutline();
        return true;
    }
    x = std::clamp(x, 0, width_);
    const double frequency = std::clamp(XToFrequency(x, width_), kDragMinHz, kDragMaxHz);
    const int code = NearestCrossoverCode(frequency);
    frequency_ = CrossoverTable()[code];
    WriteRecord(setting_, [&](FilterSetting& s) { s.FrequencyCode = static_cast<uint16_t>(code); });
    Recalculate();
    return true;
}

}  // namespace pavo
