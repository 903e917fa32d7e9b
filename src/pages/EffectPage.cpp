#include "pages/EffectPage.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "pages/EQDlg.h"
#include "pages/FilterControls.h"
#include "platform/ControlId.h"

namespace pavo {

namespace {
// Echo and reverb blocks keep the bypass, the levels and their switches at the same offsets.
static_assert(offsetof(EchoBlock, EqBypass) == offsetof(ReverbBlock, EqBypass) &&
              offsetof(EchoBlock, EffectLevel) == offsetof(ReverbBlock, EffectLevel) &&
              offsetof(EchoBlock, EffectSwitch) == offsetof(ReverbBlock, EffectSwitch) &&
              offsetof(EchoBlock, DirectLevel) == offsetof(ReverbBlock, DirectLevel) &&
              offsetof(EchoBlock, DirectSwitch) == offsetof(ReverbBlock, DirectSwitch));
}  // namespace

EffectPage::EffectPage(Unit& unit, const EffectLayout& layout, const DialogTemplate& tpl, CFStatic* graph,
                       int block, QWidget* parent)
    : PageDlg(unit, parent), layout_(layout), template_(tpl), graph_(graph), firstBlock_(block) {
    EnsureCreated();  // with the effect page, which holds the graph and relabels and refreshes this one
}

void EffectPage::CreateContents() {
    CreateControls(template_, [this](const ControlTemplate& c, QWidget* p) { return MakeControl(c, p); });
    strips_.Create(this, graph_, firstBlock_, kStrips);
    SetUpControls();
    RegisterHandlers();
}

EffectPage::~EffectPage() = default;

const EffectValueRow* EffectPage::RowOfSlider(int id) const {
    if (id == layout_.wet.slider) return &layout_.wet;
    if (id == layout_.dry.slider) return &layout_.dry;
    for (const EffectValueRow& r : layout_.times)
        if (r.slider == id) return &r;
    return nullptr;
}

bool EffectPage::IsValueLabel(int id) const {
    if (id == layout_.wet.label || id == layout_.dry.label) return true;
    for (const EffectValueRow& r : layout_.times)
        if (r.label == id) return true;
    return false;
}

QWidget* EffectPage::MakeControl(const ControlTemplate& c, QWidget* parent) {
    return MakePageControl(c, parent, IsValueLabel(c.id));
}

void EffectPage::SetUpControls() {
    auto row = [this](const EffectValueRow& r) {
        SkinPageSlider(Item<BitmapSlider>(r.slider), 0, r.max);
        StyleValueLabel(Item<Edit_Static>(r.label), 0, r.max * r.factor, r.style);
    };
    row(layout_.wet);
    row(layout_.dry);
    for (const EffectValueRow& r : layout_.times) row(r);
    for (int id : {layout_.wetSwitch, layout_.drySwitch}) SkinButton(Item<BitButton>(id), 161, 160);
    for (int id : {layout_.eqReset, layout_.eqPass}) SkinButton(Item<BitButton>(id), 152, 153);

    const EffectFilterIds& hp = layout_.highPass;
    const EffectFilterIds& lp = layout_.lowPass;
    highPass_ = std::make_unique<FilterControls>(this, FilterControls::HighPass,
                                                 FilterControls::Ids{hp.combo, hp.edit, hp.slider});
    lowPass_ = std::make_unique<FilterControls>(this, FilterControls::LowPass,
                                                FilterControls::Ids{lp.combo, lp.edit, lp.slider});
}

void EffectPage::RegisterHandlers() {
    OnSliders([this](int id) { OnSlider(id); });
    OnMessage(WM_NUMEDIT_CHANGED, [this](WParam, LParam id) {
        if (!highPass_->OnEdit(static_cast<int>(id))) lowPass_->OnEdit(static_cast<int>(id));
        return LResult{0};
    });
    OnCommand(layout_.highPass.combo, CBN_SELCHANGE, [this] { highPass_->OnCombo(layout_.highPass.combo); });
    OnCommand(layout_.lowPass.combo, CBN_SELCHANGE, [this] { lowPass_->OnCombo(layout_.lowPass.combo); });
    OnCommand(layout_.wetSwitch, BN_CLICKED, [this] { OnSwitch(layout_.wetSwitch, layout_.wetSwitchField); });
    OnCommand(layout_.drySwitch, BN_CLICKED, [this] { OnSwitch(layout_.drySwitch, layout_.drySwitchField); });
    OnCommand(layout_.eqPass, BN_CLICKED, [this] { OnEqPass(); });
    OnCommand(layout_.eqReset, BN_CLICKED, [this] { OnEqReset(); });
    OnMessage(WM_EQSTRIP_CHANGED, [this](WParam, LParam index) {
        HighlightStrip(static_cast<int>(index));
        return LResult{0};
    });
}

uint8_t* EffectPage::BlockBytes() const {
    ProgramImage& img = model().current;
    switch (Block()) {
        case BlockEchoB:
            return BytesOf(img.EchoB);
        case BlockReverb:
            return BytesOf(img.Reverb);
        default:
            return BytesOf(img.EchoA);
    }
}

void EffectPage::ApplyLanguage() {
    ApplyCaptions(this, layout_.captions);
}

void EffectPage::RefreshFromModel() {
    strips_.RefreshFromBand();
    CKTVEQ* set = bands().Of(Block());
    highPass_->Bind(set, graph_);
    lowPass_->Bind(set, graph_);

    const bool bypassed = model().Edit([this] { return BlockBytes()[offsetof(EchoBlock, EqBypass)] != 0; });
    Item<BitButton>(layout_.eqPass)->SetLatched(bypassed);
    highPass_->Refresh();
    lowPass_->Refresh();

    // The label shows the stored code; the slider only places its thumb at the nearest step.
    auto show = [this](const EffectValueRow& r) {
        const int code = model().Edit([&] { return ReadField(BlockBytes(), r.field); });
        Item<BitmapSlider>(r.slider)->SetPos((code + r.factor / 2) / r.factor);
        Item<Edit_Static>(r.label)->SetValue(code);
    };
    show(layout_.wet);
    show(layout_.dry);
    for (const EffectValueRow& r : layout_.times) show(r);
    for (auto [button, field] : {std::pair{layout_.wetSwitch, layout_.wetSwitchField},
                                 std::pair{layout_.drySwitch, layout_.drySwitchField}}) {
        const bool on = model().Edit([&] { return ReadField(BlockBytes(), field) != 0; });
        Item<BitButton>(button)->SetLatched(on);
    }
}

void EffectPage::ShowBand(int index) {
    if (index >= 0 && index < kStrips) {
        strips_.Strip(index)->RefreshAndFocus();
        HighlightStrip(index);
    } else if (index == kStrips) {
        highPass_->ShowFrequency();
    } else if (index == kStrips + 1) {
        lowPass_->ShowFrequency();
    }
}

void EffectPage::OnSlider(int id) {
    if (highPass_->OnSlider(id) || lowPass_->OnSlider(id)) return;
    const EffectValueRow* r = RowOfSlider(id);
    if (!r) return;
    const int code = Item<BitmapSlider>(id)->GetPos() * r->factor;
    Item<Edit_Static>(r->label)->SetValue(code);
    model().Edit([&] { WriteField(BlockBytes(), r->field, code); });
}

void EffectPage::OnSwitch(int button, RecordField field) {
    const bool on = model().Edit([&] {
        const int value = ReadField(BlockBytes(), field) ? 0 : 1;
        WriteField(BlockBytes(), field, value);
        return value != 0;
    });
    Item<BitButton>(button)->SetLatched(on);
}

void EffectPage::OnEqPass() {
    const bool bypassed = model().Edit([&] {
        uint8_t& bypass = BlockBytes()[offsetof(EchoBlock, EqBypass)];
        bypass = bypass ? 0 : 1;
        return bypass != 0;
    });
    graph_->SelectBand(-1, false);  // shows or removes the bypass overlay
    Item<BitButton>(layout_.eqPass)->SetLatched(bypassed);
}

void EffectPage::OnEqReset() {
    ResetEqBands(model(), Block());
    strips_.WhitenHighlighted();
    strips_.RefreshFromBand();
    graph_->ShowBandSet(Block());
    graph_->SelectBand(-1, false);
}

}  // namespace pavo
