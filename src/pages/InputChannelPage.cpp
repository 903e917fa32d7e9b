#include "pages/InputChannelPage.h"

#include <QKeyEvent>
#include <algorithm>

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "controls/Trackbar.h"
#include "controls/TransparentStatic.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "eq/Filter.h"
#include "model/CodeTables.h"
#include "pages/BandStripRow.h"
#include "pages/EQDlg.h"
#include "pages/PageSkins.h"
#include "platform/ControlId.h"
#include "protocol/SendLock.h"

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

InputChannelPage::InputChannelPage(PageHost&, const InputChannelDef& def, QWidget* parent)
    : PageDlg(parent), def_(def), currentBlock_(def.firstBlock) {}

InputChannelPage::~InputChannelPage() = default;

template <class T>
T* InputChannelPage::Item(int id) const {
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : qobject_cast<T*>(it->second);
}

CFStatic* InputChannelPage::Graph() {
    EnsureCreated();
    return graph_;
}
BandStripRow& InputChannelPage::Strips() {
    EnsureCreated();
    return *strips_;
}
Trackbar* InputChannelPage::ScrollBar() {
    EnsureCreated();
    return trackbar_;
}

// ---- Building ----

QWidget* InputChannelPage::MakeControl(const ControlTemplate& c, QWidget* parent) {
    switch (c.kind) {
        case ControlKind::Static:
            if (Find(def_.valueSliders, c.id, &ValueSliderDef::label)) return new Edit_Static(parent);
            return new CTransparentStatic(parent);
        case ControlKind::BitmapStatic:
            return new BitmapSlider(parent);
        case ControlKind::Button:
            return new BitButton(parent);
        case ControlKind::Edit:
            return new NumEdit(parent);
        case ControlKind::ComboBox:
            return new BitComboBox(parent);
        case ControlKind::Custom:
            if (c.id == def_.graphId) return graph_ = new CFStatic(parent);
            if (c.id == def_.trackbarId) return trackbar_ = new Trackbar(parent);
            return nullptr;
        default:
            return nullptr;
    }
}

void InputChannelPage::CreateContents() {
    CreateFromTemplate(this, def_.dialogTemplate(),
                       [this](const ControlTemplate& c, QWidget* p) { return MakeControl(c, p); });
    // Refreshing touches every control: find them by id once.
    for (const ControlTemplate& c : def_.dialogTemplate().controls) items_[c.id] = DialogItem(this, c.id);

    graph_->SetNotifyWindow(this);
    graph_->InitLayout();
    graph_->SetPlotRects(def_.pageIndex);
    graph_->ShowBandSet(def_.firstBlock);
    strips_ = std::make_unique<BandStripRow>(this, graph_, def_.firstBlock, kStripCount);
    trackbar_->SetRange(0, BandCount() - kStripCount);
    trackbar_->SetPos(0);
    SetUpControls();
    RegisterHandlers();

    // Enter and Escape typed in a control are seen first here (the strips see their own).
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->installEventFilter(this);
    setFocusPolicy(Qt::ClickFocus);
    ShowCaptions();
}

void InputChannelPage::SetUpControls() {
    for (const ValueSliderDef& d : def_.valueSliders) {
        auto* slider = Item<BitmapSlider>(d.slider);
        SkinPageSlider(slider);
        slider->SetRange(0, d.max);
        auto* label = Item<Edit_Static>(d.label);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->SetRange(0, d.max);
        label->SetDisplayKind(d.kind);
        const QString unit = QString::fromUtf8(d.unit);
        if (d.kind == Edit_Static::Real)
            label->SetRealScale(d.scale, d.offset, unit);
        else
            label->SetIntScale(static_cast<int>(d.scale), static_cast<int>(d.offset), unit);
    }
    for (const FrequencyRowDef& d : def_.frequencyRows) {
        auto* slider = Item<BitmapSlider>(d.slider);
        SkinPageSlider(slider);
        slider->SetRange(0, kFrequencyCodes - 1);
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
        SkinPageCombo(combo);
    }
    for (int id : kButtons)
        SkinLatchButton(Item<BitButton>(id), id == IDC_FIRST_CHANNEL || id == IDC_SECOND_CHANNEL);
}

void InputChannelPage::RegisterHandlers() {
    auto slider = [this](WParam id, LParam) {
        OnSlider(static_cast<int>(id));
        return LResult{0};
    };
    OnMessage(WM_SLIDER_TRACKING, slider);
    OnMessage(WM_SLIDER_CHANGED, slider);
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
    if (IsCreated()) ShowCaptions();  // a page not built yet gets them when it is
}

void InputChannelPage::ShowCaptions() {
    ApplyCaptions(this, def_.captions);
    Item<BitButton>(IDC_EQ_BYPASS)->setText(QStringLiteral("EQ Bypass"));  // the same in both languages
}

// Enter or Escape: the page takes the focus, so an edit being typed in commits its value; the key
// then goes on as typed, and nothing of the page's own handles it.
bool InputChannelPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            setFocus(Qt::OtherFocusReason);
    }
    return PageDlg::eventFilter(watched, event);
}

// ---- The model ----

int InputChannelPage::LinkByte() const {
    return EditModel([this] { return int{TheModel().current.*def_.link}; });
}

int32_t& InputChannelPage::Side() const {
    return TheModel().pages.*def_.side;
}

int InputChannelPage::BandCount() const {
    const CKTVEQ* set = BandSetOf(def_.firstBlock);
    return set ? set->BandCount() : kStripCount;
}

uint8_t* InputChannelPage::FieldBytes(const ChannelField& f) const {
    Model& m = TheModel();
    const int block = f.home == ChannelField::Dynamics ? def_.firstBlock : currentBlock_;
    return BytesOf(m.current) + OffsetOfBlock(block) + f.offset;
}

int InputChannelPage::Load(const ChannelField& f) const {
    return EditModel([&] {
        if (f.home == ChannelField::KeyShift) return pavo::KeyShift(TheModel().system);
        const uint8_t* p = FieldBytes(f);
        return f.width == 2 ? p[0] | (p[1] << 8) : int{p[0]};
    });
}

void InputChannelPage::Store(const ChannelField& f, int value) {
    EditModel([&] {
        if (f.home == ChannelField::KeyShift) {
            SetKeyShift(TheModel().system, value);  // the sensitivity nibble stays
            return;
        }
        uint8_t* p = FieldBytes(f);
        p[0] = static_cast<uint8_t>(value & 0xFF);
        if (f.width == 2) p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    });
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
    if (strips_->Block() != side) strips_->Bind(side);
    // The scroll position is the program's; it went back to the start if the model was reset.
    const int first = std::clamp(int{TheModel().pages.*def_.eqFirst}, 0, BandCount() - kStripCount);
    if (trackbar_->GetPos() != first || strips_->First() != first) {
        trackbar_->SetPos(first);
        strips_->ShowFrom(first);
    }

    strips_->RefreshFromBand();
    currentBlock_ = linked ? def_.firstBlock : side;
    const CKTVEQ* set = BandSetOf(currentBlock_);
    highPass_ = set ? set->GetHighPass() : nullptr;
    lowPass_ = set ? set->GetLowPass() : nullptr;
    ShowChannelButtons(linked, side);
    ShowValues();
    graph_->ShowBandSet(side);  // with no band selected, drawn once
}

void InputChannelPage::ShowChannelButtons(bool linked, int side) {
    auto* first = Item<BitButton>(IDC_FIRST_CHANNEL);
    auto* second = Item<BitButton>(IDC_SECOND_CHANNEL);
    Item<BitButton>(IDC_SYNC)->SetLatched(linked);
    first->setEnabled(!linked);
    second->setEnabled(!linked);
    first->SetLatched(!linked && side == def_.firstBlock);
    second->SetLatched(!linked && side == def_.secondBlock);
}

void InputChannelPage::ShowValues() {
    for (const ValueSliderDef& d : def_.valueSliders) {
        const int value = Load(d.field);
        Item<BitmapSlider>(d.slider)->SetPos(value);
        Item<Edit_Static>(d.label)->SetValue(value);
    }
    for (const FrequencyRowDef& d : def_.frequencyRows) {
        int code = 0;
        if (d.via == Via::Field) {
            code = Load(d.field);
        } else if (const CFilter* f = FilterOf(d.via)) {
            code = EditModel([f] { return int{f->Setting()->FrequencyCode}; });
        }
        Item<BitmapSlider>(d.slider)->SetPos(code);
        Item<NumEdit>(d.edit)->SetValue(code);
    }
    for (const ComboDef& d : def_.combos) {
        int code = 0;
        if (d.via == Via::Field) {
            code = Load(d.field);
        } else if (const CFilter* f = FilterOf(d.via)) {
            code = EditModel([f] { return int{f->Setting()->SlopeCode}; });
        }
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
    WithSendLock([&] {
        EditModel([&] {
            uint8_t& link = TheModel().current.*def_.link;
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
                strips_->Bind(side);
                RefreshFromModel();
            }
            currentBlock_ = def_.firstBlock;
            ShowChannelButtons(true, side);
        } else {
            // The second channel becomes a copy of the first in both images: nothing to send for it.
            def_.linkChannels(true);
            ShowChannelButtons(false, side);
        }
        return;
    }
    if (block == side) return;
    side = block;
    strips_->Bind(block);
    RefreshFromModel();
}

void InputChannelPage::OnEqReset() {
    const int side = Side();
    ResetEqBands(side);
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
    PageSelection& pages = TheModel().pages;
    if (position == pages.*def_.eqFirst && position == strips_->First()) return;
    pages.*def_.eqFirst = position;
    pages.*def_.eqLast = position + kStripCount - 1;
    RefreshStrips();
}

void InputChannelPage::RefreshStrips() {
    EnsureCreated();
    strips_->ShowFrom(TheModel().pages.*def_.eqFirst);
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
        const int code = EditModel([f] { return int{f->Setting()->FrequencyCode}; });
        for (const FrequencyRowDef& r : def_.frequencyRows) {
            if (r.via != via) continue;
            Item<NumEdit>(r.edit)->SetValue(code);
            Item<BitmapSlider>(r.slider)->SetPos(code);
        }
        return;
    }
    if (index < 0 || index >= set->BandCount()) return;
    PageSelection& pages = TheModel().pages;
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
    if (strip >= 0 && strip < kStripCount) strips_->Strip(strip)->RefreshAndFocus();
    HighlightStrip(index);
}

void InputChannelPage::HighlightStrip(int band) {
    EnsureCreated();
    strips_->Highlight(band - trackbar_->GetPos());
}

}  // namespace pavo
