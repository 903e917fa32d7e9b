#include "pages/InputChannelPage.h"

#include <algorithm>

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "controls/Trackbar.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "eq/Filter.h"
#include "model/CodeTables.h"
#include "pages/EQDlg.h"
#include "platform/ControlId.h"
#include "protocol/ProtocolHandler.h"

namespace pavo {

const char* const InputChannelPage::kDigitItems[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

namespace {

constexpr int kButtons[] = {InputChannelPage::IDC_SYNC, InputChannelPage::IDC_FIRST_CHANNEL,
                            InputChannelPage::IDC_SECOND_CHANNEL, InputChannelPage::IDC_EQ_RESET,
                            InputChannelPage::IDC_EQ_BYPASS};

size_t OffsetOfBlock(int block) {
    switch (block) {
        case BlockMusicLeft:
            return offsetof(ProgramImage, MusicLeft);
        case BlockMusicRight:
            return offsetof(ProgramImage, MusicRight);
        case BlockMic12:
            return offsetof(ProgramImage, Mic12);
        default:
            return offsetof(ProgramImage, Mic34);
    }
}

template <class Def>
const Def* Find(std::span<const Def> defs, int id, int Def::*key) {
    for (const Def& d : defs)
        if (d.*key == id) return &d;
    return nullptr;
}

}  // namespace

InputChannelPage::InputChannelPage(PageHost& host, const InputChannelDef& def, QWidget* parent)
    : PageDlg(host.unit(), parent), def_(def), currentBlock_(def.firstBlock) {}

InputChannelPage::~InputChannelPage() = default;

CFStatic* InputChannelPage::Graph() {
    EnsureCreated();
    return graph_;
}
BandStripRow& InputChannelPage::Strips() {
    EnsureCreated();
    return strips_;
}
Trackbar* InputChannelPage::ScrollBar() {
    EnsureCreated();
    return trackbar_;
}

// ---- Building ----

QWidget* InputChannelPage::MakeControl(const ControlTemplate& c, QWidget* parent) {
    if (c.id == def_.graphId) return graph_ = new CFStatic(bands(), parent);
    if (c.id == def_.trackbarId) return trackbar_ = new Trackbar(parent);
    return MakePageControl(c, parent, Find(def_.valueSliders, c.id, &ValueSliderDef::label) != nullptr);
}

void InputChannelPage::CreateContents() {
    CreateControls(def_.dialogTemplate(),
                   [this](const ControlTemplate& c, QWidget* p) { return MakeControl(c, p); });

    SetUpPageGraph(graph_, this, def_.pageIndex, def_.firstBlock);
    strips_.Create(this, graph_, def_.firstBlock, kStripCount);
    trackbar_->SetRange(0, BandCount() - kStripCount);
    trackbar_->SetPos(0);
    SetUpControls();
    RegisterHandlers();

    // Enter and Escape typed in a control are seen first here (the strips see their own).
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->installEventFilter(this);
    setFocusPolicy(Qt::ClickFocus);
}

void InputChannelPage::SetUpControls() {
    for (const ValueSliderDef& d : def_.valueSliders) {
        SkinPageSlider(Item<BitmapSlider>(d.slider), 0, d.max);
        auto* label = Item<Edit_Static>(d.label);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        StyleValueLabel(label, 0, d.max, d.style);
    }
    for (const FrequencyRowDef& d : def_.frequencyRows) {
        SkinPageSlider(Item<BitmapSlider>(d.slider), 0, kFrequencyCodes - 1);
        auto* edit = Item<NumEdit>(d.edit);
        edit->SetRange(0, kFrequencyCodes - 1);
        edit->SetKind(NumEdit::Frequency, QStringLiteral("Hz"));
        edit->setAlignment(Qt::AlignCenter);
        edit->setFrame(false);
    }
    for (const ComboDef& d : def_.combos) {
        auto* combo = Item<BitComboBox>(d.combo);
        for (const char* item : d.items) combo->addItem(QString::fromLatin1(item));
        combo->setMaxVisibleItems(static_cast<int>(d.items.size()));
        SkinCombo(combo);
    }
    for (int id : kButtons)
        SkinButton(Item<BitButton>(id), 152, 153, id == IDC_FIRST_CHANNEL || id == IDC_SECOND_CHANNEL);
}

void InputChannelPage::RegisterHandlers() {
    OnSliders([this](int id) { OnSlider(id); });
    OnMessage(WM_NUMEDIT_CHANGED, [this](WParam, LParam id) {
        OnEdit(static_cast<int>(id));
        return LResult{0};
    });
    OnMessage(WM_HSCROLL, [this](WParam, LParam id) {
        OnScroll(static_cast<int>(id));
        return LResult{0};
    });
    OnMessage(WM_EQCURVE_CHANGED, [this](WParam, LParam index) {
        ShowBand(static_cast<int>(index));
        return LResult{0};
    });
    OnMessage(WM_EQSTRIP_CHANGED, [this](WParam, LParam band) {
        HighlightStrip(static_cast<int>(band));
        return LResult{0};
    });
    for (const ComboDef& d : def_.combos)
        OnCommand(d.combo, CBN_SELCHANGE, [this, id = d.combo] { OnCombo(id); });
    OnCommand(IDC_SYNC, BN_CLICKED, [this] { OnSync(); });
    OnCommand(IDC_FIRST_CHANNEL, BN_CLICKED, [this] { SelectChannel(def_.firstBlock); });
    OnCommand(IDC_SECOND_CHANNEL, BN_CLICKED, [this] { SelectChannel(def_.secondBlock); });
    OnCommand(IDC_EQ_RESET, BN_CLICKED, [this] { OnEqReset(); });
    OnCommand(IDC_EQ_BYPASS, BN_CLICKED, [this] { OnEqBypass(); });
}

void InputChannelPage::ApplyLanguage() {
    if (!IsCreated()) return;  // a page not built yet gets its captions when it is built
    ApplyCaptions(this, def_.captions);
    Item<BitButton>(IDC_EQ_BYPASS)->setText(QStringLiteral("EQ Bypass"));  // the same in both languages
}

// Enter or Escape: the page takes the focus, so an edit being typed in commits its value; the key
// then goes on as typed, and nothing of the page's own handles it.
bool InputChannelPage::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterOrEscape(event)) setFocus(Qt::OtherFocusReason);
    return PageDlg::eventFilter(watched, event);
}

// ---- The model ----

int InputChannelPage::LinkByte() const {
    return model().Edit([this] { return int{model().current.*def_.link}; });
}

int32_t& InputChannelPage::Side() const {
    return model().pages.*def_.side;
}

int InputChannelPage::BandCount() const {
    const CKTVEQ* set = bands().Of(def_.firstBlock);
    return set ? set->BandCount() : kStripCount;
}

uint8_t* InputChannelPage::FieldBytes(const ChannelField& f) const {
    Model& m = model();
    const int block = f.home == ChannelField::Dynamics ? def_.firstBlock : currentBlock_;
    return BytesOf(m.current) + OffsetOfBlock(block) + f.offset;
}

int InputChannelPage::Load(const ChannelField& f) const {
    return model().Edit([&] {
        if (f.home == ChannelField::KeyShift) return pavo::KeyShift(model().system);
        const uint8_t* p = FieldBytes(f);
        return f.width == 2 ? p[0] | (p[1] << 8) : int{p[0]};
    });
}

void InputChannelPage::Store(const ChannelField& f, int value) {
    model().Edit([&] {
        if (f.home == ChannelField::KeyShift) {
            SetKeyShift(model().system, value);  // the sensitivity nibble stays
            return;
        }
        uint8_t* p = FieldBytes(f);
        p[0] = static_cast<uint8_t>(value & 0xFF);
        if (f.width == 2) p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    });
}

template <class Code>
int InputChannelPage::LoadVia(Via via, const ChannelField& field, Code FilterSetting::*code) const {
    if (via == Via::Field) return Load(field);
    const CFilter* f = FilterOf(via);
    return f ? model().Edit([&] { return int{f->Setting()->*code}; }) : 0;
}

CFilter* InputChannelPage::FilterOf(Via via) const {
    return via == Via::HighPass ? highPass_ : via == Via::LowPass ? lowPass_ : nullptr;
}

// The member index the graph shows a filter at: after the bands, high-pass then low-pass.
int InputChannelPage::GraphIndexOf(Via via) const {
    return via == Via::HighPass ? BandCount() : BandCount() + 1;
}

// ---- Showing the model ----

void InputChannelPage::RefreshFromModel() {
    EnsureCreated();
    const bool linked = LinkByte() == 1;
    int32_t& side = Side();
    if (side != def_.firstBlock && side != def_.secondBlock) side = def_.firstBlock;
    // A whole image that arrives linked while the second channel is selected: the page edits the first
    // channel then, so strips, graph and controls all show it.
    if (linked && side == def_.secondBlock) side = def_.firstBlock;
    if (strips_.Block() != side) strips_.Bind(side);
    // The scroll position is the program's; it went back to the start if the model was reset.
    const int first = std::clamp(int{model().pages.*def_.eqFirst}, 0, BandCount() - kStripCount);
    if (trackbar_->GetPos() != first || strips_.First() != first) {
        trackbar_->SetPos(first);
        strips_.ShowFrom(first);
    }

    strips_.RefreshFromBand();
    currentBlock_ = linked ? def_.firstBlock : side;
    const CKTVEQ* set = bands().Of(currentBlock_);
    highPass_ = set ? set->GetHighPass() : nullptr;
    lowPass_ = set ? set->GetLowPass() : nullptr;
    ShowChannelButtons(linked, side);
    ShowValues();
    graph_->ShowBandSet(side);  // with no band selected, drawn once
}

// The button of the channel on screen stays latched while linked too (the first channel then, and
// both buttons disabled), so the page always says which channel it shows.
void InputChannelPage::ShowChannelButtons(bool linked, int side) {
    auto* first = Item<BitButton>(IDC_FIRST_CHANNEL);
    auto* second = Item<BitButton>(IDC_SECOND_CHANNEL);
    Item<BitButton>(IDC_SYNC)->SetLatched(linked);
    first->setEnabled(!linked);
    second->setEnabled(!linked);
    first->SetLatched(side == def_.firstBlock);
    second->SetLatched(side == def_.secondBlock);
}

void InputChannelPage::ShowValues() {
    for (const ValueSliderDef& d : def_.valueSliders) {
        const int value = Load(d.field);
        Item<BitmapSlider>(d.slider)->SetPos(value);
        Item<Edit_Static>(d.label)->SetValue(value);
    }
    for (const FrequencyRowDef& d : def_.frequencyRows) {
        const int code = LoadVia(d.via, d.field, &FilterSetting::FrequencyCode);
        Item<BitmapSlider>(d.slider)->SetPos(code);
        Item<NumEdit>(d.edit)->SetValue(code);
    }
    for (const ComboDef& d : def_.combos) {
        const int code = LoadVia(d.via, d.field, &FilterSetting::SlopeCode);
        auto* combo = Item<BitComboBox>(d.combo);
        combo->setCurrentIndex(code < combo->count() ? code : -1);
    }
    Item<BitButton>(IDC_EQ_BYPASS)->SetLatched(Load({ChannelField::Channel, def_.bypassOffset}) != 0);
}

// ---- Edits ----

void InputChannelPage::OnSlider(int id) {
    if (const ValueSliderDef* d = Find(def_.valueSliders, id, &ValueSliderDef::slider)) {
        const int value = Item<BitmapSlider>(id)->GetPos();
        Item<Edit_Static>(d->label)->SetValue(value);
        Store(d->field, value);
    } else if (const FrequencyRowDef* r = Find(def_.frequencyRows, id, &FrequencyRowDef::slider)) {
        const int code = Item<BitmapSlider>(id)->GetPos();
        Item<NumEdit>(r->edit)->SetValue(code);
        StoreFrequency(*r, code);
    }
}

void InputChannelPage::OnEdit(int id) {
    const FrequencyRowDef* r = Find(def_.frequencyRows, id, &FrequencyRowDef::edit);
    if (!r) return;
    const int code = Item<NumEdit>(id)->GetValue();
    Item<BitmapSlider>(r->slider)->SetPos(code);
    StoreFrequency(*r, code);
}

void InputChannelPage::StoreFrequency(const FrequencyRowDef& row, int code) {
    if (row.via == Via::Field) {
        Store(row.field, code);
    } else if (CFilter* f = FilterOf(row.via)) {
        f->SetFilterFrequencyCode(code);
        graph_->SelectBand(GraphIndexOf(row.via), false);
    }
}

void InputChannelPage::OnCombo(int id) {
    const ComboDef* d = Find(def_.combos, id, &ComboDef::combo);
    const int index = Item<BitComboBox>(id)->currentIndex();
    if (!d || index < 0) return;
    if (d->via == Via::Field) {
        Store(d->field, index);
    } else if (CFilter* f = FilterOf(d->via)) {
        f->SetSlopeCode(index);
        graph_->SelectBand(GraphIndexOf(d->via), false);
    }
}

// ---- Channels ----

void InputChannelPage::OnSync() {
    unit().handler().WithSendLock([&] {
        model().Edit([&] {
            uint8_t& link = model().current.*def_.link;
            link = link == 1 ? 0 : 1;
        });
        SelectChannel(-1);
    });
}

void InputChannelPage::SelectChannel(int block) {
    EnsureCreated();
    int32_t& side = Side();
    if (block == -1) {
        if (LinkByte() == 1) {
            if (side == def_.secondBlock) {
                side = def_.firstBlock;
                strips_.Bind(side);
                RefreshFromModel();
            }
            currentBlock_ = def_.firstBlock;
            ShowChannelButtons(true, side);
        } else {
            // The second channel becomes a copy of the first in both images: nothing to send for it.
            def_.linkChannels(model());
            ShowChannelButtons(false, side);
        }
        return;
    }
    if (block == side) return;
    side = block;
    strips_.Bind(block);
    RefreshFromModel();
}

void InputChannelPage::OnEqReset() {
    const int side = Side();
    ResetEqBands(model(), side);
    RefreshStrips();
    graph_->ShowBandSet(side);  // with no band selected
}

void InputChannelPage::OnEqBypass() {
    const ChannelField bypass{ChannelField::Channel, def_.bypassOffset};
    // Any value but 0 shows as bypassed; a press always leaves 0 or 1.
    const int value = Load(bypass) != 0 ? 0 : 1;
    Store(bypass, value);
    graph_->SelectBand(-1, false);
    Item<BitButton>(IDC_EQ_BYPASS)->SetLatched(value != 0);
}

// ---- Strips and bands ----

void InputChannelPage::OnScroll(int id) {
    if (id != def_.trackbarId) return;
    const int position = trackbar_->GetPos();
    PageSelection& pages = model().pages;
    if (position == pages.*def_.eqFirst && position == strips_.First()) return;
    pages.*def_.eqFirst = position;
    pages.*def_.eqLast = position + kStripCount - 1;
    RefreshStrips();
}

void InputChannelPage::RefreshStrips() {
    EnsureCreated();
    strips_.ShowFrom(model().pages.*def_.eqFirst);
    update();
}

void InputChannelPage::ShowBand(int index) {
    EnsureCreated();
    const CKTVEQ* set = graph_->BandSet();
    if (!set) return;
    if (index == set->HighPassIndex() || index == set->LowPassIndex()) {
        const Via via = index == set->HighPassIndex() ? Via::HighPass : Via::LowPass;
        const CFilter* f = FilterOf(via);
        if (!f) return;
        const int code = model().Edit([this, f] { return int{f->Setting()->FrequencyCode}; });
        for (const FrequencyRowDef& r : def_.frequencyRows) {
            if (r.via != via) continue;
            Item<NumEdit>(r.edit)->SetValue(code);
            Item<BitmapSlider>(r.slider)->SetPos(code);
        }
        return;
    }
    if (index < 0 || index >= set->BandCount()) return;
    PageSelection& pages = model().pages;
    if (index < pages.*def_.eqFirst || index > pages.*def_.eqLast) {
        const int p = index > kStripCount - 1 ? index - (kStripCount - 1) : 0;
        if (p != trackbar_->GetPos()) {
            trackbar_->SetPos(p);
            pages.*def_.eqFirst = p;
            pages.*def_.eqLast = p + kStripCount - 1;
            RefreshStrips();
        }
    }
    const int strip = index - trackbar_->GetPos();
    if (strip >= 0 && strip < kStripCount) strips_.Strip(strip)->RefreshAndFocus();
    HighlightStrip(index);
}

void InputChannelPage::HighlightStrip(int band) {
    EnsureCreated();
    strips_.HighlightAgain(band - trackbar_->GetPos());
}

}  // namespace pavo
