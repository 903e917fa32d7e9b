#include "pages/DEQ_Dlg.h"

#include <algorithm>
#include <vector>

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "eq/FilterResponse.h"
#include "model/Model.h"
#include "pages/PageCaptions.h"
#include "pages/PageControls.h"
#include "platform/ControlId.h"
#include "protocol/ProtocolHandler.h"

namespace pavo {

namespace {

constexpr int kGraphPageIndex = 1;  // lays out both dynamic-EQ sets

// The compressor part of a dynamic band: slider id base (value label = slider - 10), field, range
// and how the label shows it.
struct CompressorRow {
    int slider;
    uint8_t DynEqBand::*field;
    int max;
    LabelStyle style;
};
const CompressorRow kCompressorRows[] = {
    {DEQ_Dlg::IDC_THRESHOLD, &DynEqBand::Threshold, 60, {Edit_Static::Integer, 1, 48, "dBV"}},  // -48 .. 12
    {DEQ_Dlg::IDC_ATTACK, &DynEqBand::Attack, 19, kAttackLabel},
    {DEQ_Dlg::IDC_RELEASE, &DynEqBand::Release, 7, kReleaseLabel},
    {DEQ_Dlg::IDC_RATIO, &DynEqBand::Ratio, 40, kRatioLabel},
};
constexpr int kLabelOffset = 10;  // value label id = slider id - 10

// The row of a compressor slider id and its band, or null.
const CompressorRow* CompressorRowOf(int id, int* band) {
    for (const CompressorRow& r : kCompressorRows)
        if (id >= r.slider && id < r.slider + DEQ_Dlg::kBands) {
            *band = id - r.slider;
            return &r;
        }
    return nullptr;
}

bool IsValueLabel(int id) {
    int band;
    return CompressorRowOf(id + kLabelOffset, &band) != nullptr;
}

// The band of an id in a per-band range starting at `base`, or -1.
int BandOf(int id, int base) {
    return id >= base && id < base + DEQ_Dlg::kBands ? id - base : -1;
}

std::vector<Caption> MakeCaptions() {
    std::vector<Caption> c;
    for (int i = 0; i < DEQ_Dlg::kBands; ++i) {
        c.push_back({2080 + i, "压限启动电平", "Limit Level"});
        c.push_back({2110 + i, "压限启动时间(Atk)", "Attack Time(Atk)"});
        c.push_back({2140 + i, "压限释放时间", "Release Time"});
        c.push_back({2170 + i, "压缩比例", "Ratio"});
        c.push_back({2200 + i, "类型", "Type"});
        c.push_back({2210 + i, "频率(Hz)", "Freq(Hz)"});
        c.push_back({2220 + i, "增益(dB)", "Gain(dB)"});
        c.push_back({2230 + i, "Q值", "Q"});
    }
    c.push_back({DEQ_Dlg::IDC_SYNC, "同步", "SYNC"});
    c.push_back({DEQ_Dlg::IDC_MUSIC_LEFT, "音乐左", "Music Left"});
    c.push_back({DEQ_Dlg::IDC_MUSIC_RIGHT, "音乐右", "Music Right"});
    c.push_back({DEQ_Dlg::IDC_EQ_RESET, "EQ 重置", "EQ Reset"});
    return c;
}

}  // namespace

DEQ_Dlg::DEQ_Dlg(PageHost& host, QWidget* parent) : PageDlg(host.unit(), parent), host_(host) {}

void DEQ_Dlg::CreateContents() {
    CreateControls(Template(), [this](const ControlTemplate& c, QWidget* p) { return MakeControl(c, p); });
    SetUpControls();
    RegisterHandlers();
}

QWidget* DEQ_Dlg::MakeControl(const ControlTemplate& c, QWidget* parent) {
    if (c.id == IDC_GRAPH) return graph_ = new CFStatic(bands(), parent);
    return MakePageControl(c, parent, IsValueLabel(c.id));
}

void DEQ_Dlg::SetUpControls() {
    SetUpPageGraph(graph_, this, kGraphPageIndex, BlockMusicLeftDyn);

    for (int i = 0; i < kBands; ++i) {
        auto* type = Item<BitComboBox>(IDC_TYPE + i);
        for (const char* item : BandTypeLabels) type->addItem(QString::fromLatin1(item));
        SkinCombo(type);

        auto* frequency = Item<NumEdit>(IDC_FREQUENCY + i);
        frequency->SetRange(0, kFrequencyCodeMax);
        frequency->SetKind(NumEdit::Frequency);
        auto* q = Item<NumEdit>(IDC_Q + i);
        q->SetRange(0, kQCodeMax);
        q->SetKind(NumEdit::Q);

        auto* slider = Item<BitmapSlider>(IDC_GAIN_SLIDER + i);
        slider->LoadChannelBitmaps(138, 138, false);
        slider->LoadThumbBitmaps(137, 137, true, kKeyFromPixel, 0, 0);
        slider->SetVertical(true);
        slider->SetRange(kGainMin, kGainMax);
        slider->SetMargins(12, 1, 0, 35);
        auto* gain = Item<NumEdit>(IDC_GAIN_EDIT + i);
        gain->SetRange(kGainMin, kGainMax);
        gain->SetScale(0.2);
        gain->SetOffset(24);
        gain->SetKind(NumEdit::Scaled);
        gain->SetBuddySlider(slider);
        for (NumEdit* e : {frequency, q, gain}) {
            e->setAlignment(Qt::AlignCenter);
            e->setFrame(false);
        }

        for (const CompressorRow& r : kCompressorRows) {
            SkinPageSlider(Item<BitmapSlider>(r.slider + i), 0, r.max);
            auto* label = Item<Edit_Static>(r.slider + i - kLabelOffset);
            StyleValueLabel(label, 0, r.max, r.style);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    for (int id = IDC_SYNC; id <= IDC_EQ_RESET; ++id) SkinButton(Item<BitButton>(id), 152, 153, true);
}

void DEQ_Dlg::RegisterHandlers() {
    OnSliders([this](int id) { OnSlider(id); });
    OnMessage(WM_NUMEDIT_CHANGED, [this](WParam, LParam id) {
        OnEdit(static_cast<int>(id));
        return LResult{0};
    });
    for (int i = 0; i < kBands; ++i) OnCommand(IDC_TYPE + i, CBN_SELCHANGE, [this, i] { OnType(i); });
    OnCommand(IDC_SYNC, BN_CLICKED, [this] { OnSync(); });
    OnCommand(IDC_MUSIC_LEFT, BN_CLICKED, [this] { SelectDynEqChannel(BlockMusicLeftDyn); });
    OnCommand(IDC_MUSIC_RIGHT, BN_CLICKED, [this] { SelectDynEqChannel(BlockMusicRightDyn); });
    OnCommand(IDC_EQ_RESET, BN_CLICKED, [this] { OnEqReset(); });
    OnMessage(WM_EQCURVE_CHANGED, [this](WParam, LParam band) {
        if (band >= 0 && band < kBands) ShowBandEq(static_cast<int>(band));
        return LResult{0};
    });
}

// ---- The channel ----

CKTVEQ* DEQ_Dlg::Set() const {
    return bands().Of(currentSet_);
}

MusicBlock& DEQ_Dlg::CurrentBlock() const {
    ProgramImage& img = model().current;
    return currentSet_ == BlockMusicRightDyn ? img.MusicRight : img.MusicLeft;
}

// The channel on screen keeps its button latched, linked too (the left one then, disabled).
void DEQ_Dlg::SetChannelButtons(bool linked, int side) {
    const int buttons[] = {IDC_MUSIC_LEFT, IDC_MUSIC_RIGHT};
    const int blocks[] = {BlockMusicLeftDyn, BlockMusicRightDyn};
    for (int k = 0; k < 2; ++k) {
        auto* b = Item<BitButton>(buttons[k]);
        b->SetLatched(side == blocks[k]);
        b->setEnabled(!linked);
    }
    Item<BitButton>(IDC_SYNC)->SetLatched(linked);
}

// ---- Language ----

void DEQ_Dlg::ApplyLanguage() {
    if (!IsCreated()) return;
    static const std::vector<Caption> captions = MakeCaptions();
    ApplyCaptions(this, captions);
}

// ---- Refresh ----

void DEQ_Dlg::RefreshFromModel() {
    EnsureCreated();
    int& side = model().pages.DynEqSide;
    const bool linked = model().Edit([this] { return model().current.MusicLink != 0; });
    // Linked, the right channel follows the left: the page shows and edits the left one, graph
    // included (a whole-state load may link the channels while the right one was selected).
    if (linked) side = BlockMusicLeftDyn;
    currentSet_ = side == BlockMusicRightDyn ? BlockMusicRightDyn : BlockMusicLeftDyn;
    SetChannelButtons(linked, side);
    graph_->ShowBandSet(side);

    struct Bands {
        DynEqBand band[kBands];
    };
    const Bands b = model().Edit([this] {
        Bands copy;
        std::copy(std::begin(CurrentBlock().DynEq), std::end(CurrentBlock().DynEq), copy.band);
        return copy;
    });
    for (int i = 0; i < kBands; ++i) {
        ShowBandEq(i);
        for (const CompressorRow& r : kCompressorRows) {
            const int value = b.band[i].*r.field;
            Item<BitmapSlider>(r.slider + i)->SetPos(value);
            Item<Edit_Static>(r.slider + i - kLabelOffset)->SetValue(value);
        }
    }
}

// The EQ part of a band from its record, through the band set.
void DEQ_Dlg::ShowBandEq(int band) {
    CFilter* f = Set() ? Set()->GetAt(band) : nullptr;
    if (!f || !f->Band()) return;
    const EqBand b = model().Edit([this, f] { return *f->Band(); });
    auto* type = Item<BitComboBox>(IDC_TYPE + band);
    type->setCurrentIndex(b.BandType < type->count() ? b.BandType : -1);
    Item<NumEdit>(IDC_FREQUENCY + band)->SetValue(b.FrequencyCode);
    ShowGain(band, b.GainCode);
    Item<NumEdit>(IDC_Q + band)->SetValue(b.QCode);
}

// A gain outside the page's range (from the unit or a file) is shown at the nearer end rather than
// leaving the edit on its previous value; the record keeps it until the user changes it.
void DEQ_Dlg::ShowGain(int band, int code) {
    const int shown = std::clamp(code, kGainMin, kGainMax);
    Item<NumEdit>(IDC_GAIN_EDIT + band)->SetValue(shown);
    Item<BitmapSlider>(IDC_GAIN_SLIDER + band)->SetInvertedPos(shown);
}

void DEQ_Dlg::BandEdited(int band) {
    graph_->SelectBand(band, false);
}

// ---- Channel choice and SYNC ----

void DEQ_Dlg::SelectDynEqChannel(int side) {
    EnsureCreated();
    int& current = model().pages.DynEqSide;
    if (side == BlockMusicLeftDyn || side == BlockMusicRightDyn) {
        if (side == current) return;
        current = side;
        RefreshFromModel();
        return;
    }
    const bool linked = model().Edit([this] { return model().current.MusicLink != 0; });
    if (!linked) {
        // The right channel takes the left one's settings in the current and the last-sent image:
        // the unit already runs it that way.
        LinkMusic(model());
    } else if (current == BlockMusicRightDyn) {
        current = BlockMusicLeftDyn;
        RefreshFromModel();
    }
    SetChannelButtons(linked, current);
}

void DEQ_Dlg::OnSync() {
    unit().handler().WithSendLock([this] {
        model().Edit([this] {
            uint8_t& link = model().current.MusicLink;
            link = link ? 0 : 1;
        });
        SelectDynEqChannel(-1);
    });
}

void DEQ_Dlg::OnEqReset() {
    const int side = model().pages.DynEqSide;
    ResetEqBands(model(), side);
    for (int i = 0; i < kBands; ++i) ShowBandEq(i);
    graph_->ShowBandSet(side);
    graph_->SelectBand(-1, false);
}

// ---- Edits ----

void DEQ_Dlg::OnType(int band) {
    CFilter* f = Set() ? Set()->GetAt(band) : nullptr;
    const int type = Item<BitComboBox>(IDC_TYPE + band)->currentIndex();
    if (!f || type < 0) return;
    f->SetType(static_cast<FilterType>(type));
    BandEdited(band);
}

void DEQ_Dlg::OnEdit(int id) {
    int band;
    CFilter* f = nullptr;
    auto filterOf = [&](int b) { return Set() ? Set()->GetAt(b) : nullptr; };
    if ((band = BandOf(id, IDC_FREQUENCY)) >= 0 && (f = filterOf(band))) {
        f->SetFrequencyCode(Item<NumEdit>(id)->GetValue());
    } else if ((band = BandOf(id, IDC_GAIN_EDIT)) >= 0 && (f = filterOf(band))) {
        const int code = Item<NumEdit>(id)->GetValue();
        f->SetGainCode(code);
        Item<BitmapSlider>(IDC_GAIN_SLIDER + band)->SetInvertedPos(code);
    } else if ((band = BandOf(id, IDC_Q)) >= 0 && (f = filterOf(band))) {
        f->SetQCode(Item<NumEdit>(id)->GetValue());
    } else {
        return;
    }
    BandEdited(band);
}

void DEQ_Dlg::OnSlider(int id) {
    int band = BandOf(id, IDC_GAIN_SLIDER);
    if (band >= 0) {
        CFilter* f = Set() ? Set()->GetAt(band) : nullptr;
        if (!f) return;
        const int code = Item<BitmapSlider>(id)->GetInvertedPos();
        f->SetGainCode(code);
        Item<NumEdit>(IDC_GAIN_EDIT + band)->SetValue(code);
        BandEdited(band);
        return;
    }
    // A compressor slider stores its position in its band of the current channel; the graph shows
    // only the EQ part and stays as it is.
    const CompressorRow* row = CompressorRowOf(id, &band);
    if (!row) return;
    const int p = Item<BitmapSlider>(id)->GetPos();
    Item<Edit_Static>(id - kLabelOffset)->SetValue(p);
    model().Edit([&] { CurrentBlock().DynEq[band].*row->field = static_cast<uint8_t>(p); });
}

}  // namespace pavo
