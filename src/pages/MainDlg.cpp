#include "pages/MainDlg.h"

#include <algorithm>

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "pages/EQDlg.h"
#include "pages/FilterControls.h"
#include "pages/PageCaptions.h"
#include "pages/PageControls.h"
#include "platform/ControlId.h"
#include "protocol/ProtocolHandler.h"

namespace pavo {

namespace {

constexpr int kStripPitch = 53;
constexpr int kGraphPageIndex = 4;  // lays out the sets of every output channel
constexpr int kLevelMax = 200;
constexpr int kDelayMax = 1500;  // 150.0 ms in tenths

// The five sources mixed into a channel, in the order of their controls.
struct SourceFields {
    uint8_t OutputChannel::*level;
    uint8_t OutputChannel::*onOff;
};
constexpr SourceFields kSourceFields[MainDlg::kSources] = {
    {&OutputChannel::MusicLevel, &OutputChannel::MusicSwitch},
    {&OutputChannel::MicLevel, &OutputChannel::MicSwitch},
    {&OutputChannel::EchoALevel, &OutputChannel::EchoASwitch},
    {&OutputChannel::EchoBLevel, &OutputChannel::EchoBSwitch},
    {&OutputChannel::ReverbLevel, &OutputChannel::ReverbSwitch},
};

// Limiter level, attack, release and ratio.
struct LimiterRow {
    uint8_t CompressorSetting::*field;
    int max;
    LabelStyle style;
};
const LimiterRow kLimiterRows[4] = {
    {&CompressorSetting::Threshold, 34, {Edit_Static::Integer, 1, 22, "dB"}},  // -22 .. +12 dB
    {&CompressorSetting::Attack, 19, kAttackLabel},
    {&CompressorSetting::Release, 7, kReleaseLabel},
    {&CompressorSetting::Ratio, 40, kRatioLabel},
};

const LabelStyle kDelayStyle{Edit_Static::Real, 1, 0, "ms", 0.1, 0.0};  // 0.0 .. 150.0 ms
const LabelStyle kDistanceStyle{Edit_Static::Distance};

const Caption kCaptions[] = {
    {1406, "类型", "Type"},
    {1409, "Q值", "Q"},
    {1407, "增益(dB)", "Gain(dB)"},
    {1408, "频率(Hz)", "Freq(Hz)"},
    {MainDlg::IDC_SYNC, "同步", "SYNC"},
    {MainDlg::IDC_EQ_RESET, "EQ重置", "EQ Reset"},
    {3707, "自动", "Auto"},
    {3708, "唱歌", "Sing"},
    {3709, "热舞", "Disco"},
    {3710, "解码", "Decode"},
    {1252, "音乐电平", "Music Level"},
    {1255, "话筒电平", "Mic Level"},
    {1258, "回声A电平", "EchoA Level"},
    {1261, "回声B电平", "EchoB Level"},
    {1264, "混响电平", "Reverb Level"},
    {1268, "压限启动电平", "Limit Level"},
    {1271, "压限启动时间", "Attack Time"},
    {1274, "压限释放时间", "Release Time"},
    {1277, "压缩比例", "Ratio"},
    {1286, "高通", "HPF"},
    {1410, "低通", "LPF"},
};

// Captions that name the outputs of the pair: the first channel (blocks 12 and 8) is shown as Out 2
// and Out 4, the second (13 and 9) as Out 1 and Out 3.
const Caption kOut12Captions[] = {
    {MainDlg::IDC_FIRST_CHANNEL, "输出2", "Out 2"},
    {MainDlg::IDC_SECOND_CHANNEL, "输出1", "Out 1"},
    {MainDlg::IDC_FIRST_MUTE, "输出2静音", "Out2 Mute"},
    {MainDlg::IDC_SECOND_MUTE, "输出1静音", "Out1 Mute"},
    {1267, "输出1&&2压限", "Out1&&2 Limit"},
    {MainDlg::IDC_FIRST_DELAY_CAPTION, "输出2延时", "Out2 Delay"},
    {MainDlg::IDC_SECOND_DELAY_CAPTION, "输出1延时", "Out1 Delay"},
};
const Caption kOut34Captions[] = {
    {MainDlg::IDC_FIRST_CHANNEL, "输出4", "Out 4"},
    {MainDlg::IDC_SECOND_CHANNEL, "输出3", "Out 3"},
    // Named as on the other pair's page ("Out2 Mute"), not "4 Mute".
    {MainDlg::IDC_FIRST_MUTE, "输出4静音", "Out4 Mute"},
    {MainDlg::IDC_SECOND_MUTE, "输出3静音", "Out3 Mute"},
    {1267, "输出3&&4压限", "Out3&&4 Limit"},
    {MainDlg::IDC_FIRST_DELAY_CAPTION, "输出4延时", "Out4 Delay"},
    {MainDlg::IDC_SECOND_DELAY_CAPTION, "输出3延时", "Out3 Delay"},
};

bool IsValueLabel(int id) {
    for (int s = MainDlg::IDC_SOURCE_SLIDER; s <= MainDlg::IDC_SECOND_DELAY; ++s)
        if (MainDlg::LabelOfSlider(s) == id) return true;
    return id == MainDlg::IDC_FIRST_DISTANCE || id == MainDlg::IDC_SECOND_DISTANCE;
}

}  // namespace

MainDlg::MainDlg(PageHost& host, QWidget* parent) : PageDlg(host.unit(), parent), host_(host) {}

MainDlg::~MainDlg() = default;

void MainDlg::CreateContents() {
    CreateControls(Template(), [this](const ControlTemplate& c, QWidget* p) { return MakeControl(c, p); });
    SetUpControls();
    RegisterHandlers();
}

QWidget* MainDlg::MakeControl(const ControlTemplate& c, QWidget* parent) {
    if (c.id == IDC_GRAPH) return graph_ = new CFStatic(bands(), parent);
    return MakePageControl(c, parent, IsValueLabel(c.id));
}

void MainDlg::SetUpControls() {
    SetUpPageGraph(graph_, this, kGraphPageIndex, BlockOutputFirst);
    strips_.Create(this, graph_, BlockOutputFirst, kStrips, kStripPitch);

    for (int id = IDC_SYNC; id < IDC_SCENE_FIRST + kScenes; ++id)
        SkinButton(Item<BitButton>(id), 152, 153, true);
    // The switch boxes are drawn in full colour; disabled (automatic scene) they fade into the page.
    for (int s = 0; s < kSources; ++s) {
        SkinButton(Item<BitButton>(IDC_SOURCE_SWITCH + s), 161, 160, true);
        Item<BitButton>(IDC_SOURCE_SWITCH + s)->SetFadedWhenDisabled(true);
    }

    auto slider = [this](int id, int max, const LabelStyle& style) {
        SkinPageSlider(Item<BitmapSlider>(id), 0, max);
        StyleValueLabel(Item<Edit_Static>(LabelOfSlider(id)), 0, max, style);
    };
    for (int s = 0; s < kSources; ++s) slider(IDC_SOURCE_SLIDER + s, kLevelMax, kPercentLabel);
    for (int i = 0; i < 4; ++i) slider(IDC_LIMITER_SLIDER + i, kLimiterRows[i].max, kLimiterRows[i].style);
    slider(IDC_FIRST_DELAY, kDelayMax, kDelayStyle);
    slider(IDC_SECOND_DELAY, kDelayMax, kDelayStyle);
    for (int id : {IDC_FIRST_DISTANCE, IDC_SECOND_DISTANCE})
        StyleValueLabel(Item<Edit_Static>(id), 0, kDelayMax, kDistanceStyle);

    highPass_ = std::make_unique<FilterControls>(
        this, FilterControls::HighPass, FilterControls::Ids{IDC_HPF_COMBO, IDC_HPF_EDIT, IDC_HPF_SLIDER});
    lowPass_ = std::make_unique<FilterControls>(
        this, FilterControls::LowPass, FilterControls::Ids{IDC_LPF_COMBO, IDC_LPF_EDIT, IDC_LPF_SLIDER});
    BindFilters();
}

void MainDlg::RegisterHandlers() {
    OnSliders([this](int id) { OnSlider(id); });
    OnMessage(WM_NUMEDIT_CHANGED, [this](WParam, LParam id) {
        if (!highPass_->OnEdit(static_cast<int>(id))) lowPass_->OnEdit(static_cast<int>(id));
        return LResult{0};
    });
    OnCommand(IDC_HPF_COMBO, CBN_SELCHANGE, [this] { highPass_->OnCombo(IDC_HPF_COMBO); });
    OnCommand(IDC_LPF_COMBO, CBN_SELCHANGE, [this] { lowPass_->OnCombo(IDC_LPF_COMBO); });
    for (int s = 0; s < kSources; ++s)
        OnCommand(IDC_SOURCE_SWITCH + s, BN_CLICKED, [this, s] { OnSourceSwitch(s); });
    OnCommand(IDC_FIRST_MUTE, BN_CLICKED, [this] { OnMute(true); });
    OnCommand(IDC_SECOND_MUTE, BN_CLICKED, [this] { OnMute(false); });
    OnCommand(IDC_FIRST_CHANNEL, BN_CLICKED, [this] { SelectChannel(FirstBlock()); });
    OnCommand(IDC_SECOND_CHANNEL, BN_CLICKED, [this] { SelectChannel(SecondBlock()); });
    OnCommand(IDC_SYNC, BN_CLICKED, [this] { OnSync(); });
    OnCommand(IDC_EQ_RESET, BN_CLICKED, [this] { OnEqReset(); });
    OnCommand(IDC_EQ_PASS, BN_CLICKED, [this] { OnEqPass(); });
    OnMessage(WM_EQSTRIP_CHANGED, [this](WParam, LParam index) {
        strips_.Highlight(static_cast<int>(index));
        return LResult{0};
    });
    OnMessage(WM_EQCURVE_CHANGED, [this](WParam, LParam index) {
        OnCurveChanged(static_cast<int>(index));
        return LResult{0};
    });
}

// ---- The pair ----

int MainDlg::FirstBlock() const {
    return BlockOutputFirst + int(outputIndex_ == 4 ? OutOut4 : OutOut2);
}

int MainDlg::SecondBlock() const {
    return BlockOutputFirst + int(outputIndex_ == 4 ? OutOut3 : OutOut1);
}

int& MainDlg::Side() const {
    PageSelection& p = model().pages;
    return outputIndex_ == 4 ? p.Out34Side : p.Out12Side;
}

int MainDlg::SideBlock() const {
    return Side();
}

uint8_t MainDlg::LinkByte() const {
    return model().Edit([this] {
        const ProgramImage& img = model().current;
        return outputIndex_ == 4 ? img.Out34Link : img.Out12Link;
    });
}

void MainDlg::SetLinkByte(uint8_t value) {
    model().Edit([&] {
        ProgramImage& img = model().current;
        (outputIndex_ == 4 ? img.Out34Link : img.Out12Link) = value;
    });
}

OutputChannel& MainDlg::Channel(int block) const {
    return model().EditedScene().Channel[block - BlockOutputFirst];
}

void MainDlg::BindFilters() {
    CKTVEQ* set = bands().Of(SideBlock());
    highPass_->Bind(set, graph_);
    lowPass_->Bind(set, graph_);
}

// ---- Language ----

void MainDlg::ApplyLanguage() {
    if (!IsCreated()) return;
    ApplyCaptions(this, kCaptions);
    ShowPageIndexCaptions();
}

void MainDlg::ShowPageIndexCaptions() {
    if (outputIndex_ == 4)
        ApplyCaptions(this, kOut34Captions);
    else
        ApplyCaptions(this, kOut12Captions);
}

// ---- Refresh ----

void MainDlg::Selected(int pageIndex) {
    EnsureCreated();
    if (pageIndex == 3 || pageIndex == 4) outputIndex_ = pageIndex;
    for (int id : {IDC_SYNC, IDC_FIRST_CHANNEL, IDC_SECOND_CHANNEL, IDC_SECOND_MUTE, IDC_SECOND_DELAY_CAPTION,
                   IDC_SECOND_DELAY_LABEL, IDC_SECOND_DISTANCE, IDC_SECOND_DELAY})
        Item(id)->show();
    // The graph and the strips take the pair's selected channel in the refresh that follows every
    // selection (it binds them to the channel and the edited scene).
}

void MainDlg::EnableAll(bool enable) {
    strips_.SetEnabled(enable);
    for (int id = IDC_SYNC; id <= IDC_SECOND_MUTE; ++id) EnableControl(Item(id), enable);
    for (int s = 0; s < kSources; ++s) EnableControl(Item(IDC_SOURCE_SWITCH + s), enable);
    for (int id = IDC_SOURCE_SLIDER; id <= IDC_LPF_SLIDER; ++id) EnableControl(Item(id), enable);
    highPass_->SetEnabled(enable);
    lowPass_->SetEnabled(enable);
}

// SYNC latched while linked; the button of the channel on screen latched always, so the page says
// which channel it shows (the first one while linked). The channel buttons take no input while
// linked, nor in the automatic scene (which disables the whole page).
void MainDlg::ShowChannelButtons(bool linked, bool editable) {
    Item<BitButton>(IDC_SYNC)->SetLatched(linked);
    for (int id : {IDC_FIRST_CHANNEL, IDC_SECOND_CHANNEL}) {
        const int block = id == IDC_FIRST_CHANNEL ? FirstBlock() : SecondBlock();
        auto* button = Item<BitButton>(id);
        button->SetLatched(SideBlock() == block);
        EnableControl(button, editable && !linked);
    }
}

void MainDlg::RefreshFromModel() {
    EnsureCreated();
    strips_.WhitenHighlighted();

    const int activeScene = model().Edit([this] { return int(model().current.ActiveScene); });
    EnableAll(activeScene != 0);
    for (int k = 0; k < kScenes; ++k) Item<BitButton>(IDC_SCENE_FIRST + k)->SetLatched(activeScene == k);

    // While linked the unit runs the second channel on the first one's settings: the page edits the
    // first, the channel that unlinking copies over the second.
    const bool linked = LinkByte() != 0;
    if (linked) Side() = FirstBlock();
    ShowChannelButtons(linked, activeScene != 0);

    // The strips follow the channel and the edited scene the graph shows.
    graph_->ShowBandSet(SideBlock());
    strips_.BindBandSet(SideBlock(), true);
    BindFilters();

    struct Channels {
        OutputChannel selected, first, second;
    };
    const Channels c = model().Edit([this] {
        return Channels{Channel(SideBlock()), Channel(FirstBlock()), Channel(SecondBlock())};
    });
    Item<BitButton>(IDC_EQ_PASS)->SetLatched(c.selected.EqBypass != 0);
    highPass_->Refresh();
    lowPass_->Refresh();

    auto show = [this](int sliderId, int value) {
        Item<BitmapSlider>(sliderId)->SetPos(value);
        Item<Edit_Static>(LabelOfSlider(sliderId))->SetValue(value);
    };
    for (int s = 0; s < kSources; ++s) {
        show(IDC_SOURCE_SLIDER + s, c.selected.*kSourceFields[s].level);
        Item<BitButton>(IDC_SOURCE_SWITCH + s)->SetLatched(c.selected.*kSourceFields[s].onOff != 0);
    }
    for (int i = 0; i < 4; ++i) show(IDC_LIMITER_SLIDER + i, c.first.Limiter.*kLimiterRows[i].field);

    Item<BitButton>(IDC_FIRST_MUTE)->SetLatched(c.first.Mute != 0);
    Item<BitButton>(IDC_SECOND_MUTE)->SetLatched(c.second.Mute != 0);
    show(IDC_FIRST_DELAY, c.first.Delay);
    Item<Edit_Static>(IDC_FIRST_DISTANCE)->SetValue(c.first.Delay);
    show(IDC_SECOND_DELAY, c.second.Delay);
    Item<Edit_Static>(IDC_SECOND_DISTANCE)->SetValue(c.second.Delay);

    ShowPageIndexCaptions();
}

// ---- Edits ----

void MainDlg::OnSlider(int id) {
    if (highPass_->OnSlider(id) || lowPass_->OnSlider(id)) return;
    const int label = LabelOfSlider(id);
    if (!label) return;
    const int p = Item<BitmapSlider>(id)->GetPos();
    Item<Edit_Static>(label)->SetValue(p);
    const auto value = static_cast<uint8_t>(p);
    if (id >= IDC_SOURCE_SLIDER && id < IDC_SOURCE_SLIDER + kSources) {
        model().Edit([&] { Channel(SideBlock()).*kSourceFields[id - IDC_SOURCE_SLIDER].level = value; });
    } else if (id >= IDC_LIMITER_SLIDER && id < IDC_LIMITER_SLIDER + 4) {
        model().Edit(
            [&] { Channel(FirstBlock()).Limiter.*kLimiterRows[id - IDC_LIMITER_SLIDER].field = value; });
    } else {
        const bool first = id == IDC_FIRST_DELAY;
        Item<Edit_Static>(first ? IDC_FIRST_DISTANCE : IDC_SECOND_DISTANCE)->SetValue(p);
        model().Edit([&] { Channel(first ? FirstBlock() : SecondBlock()).Delay = static_cast<uint16_t>(p); });
    }
}

void MainDlg::OnSourceSwitch(int source) {
    const bool on = model().Edit([&] {
        uint8_t& onOff = Channel(SideBlock()).*kSourceFields[source].onOff;
        onOff = onOff ? 0 : 1;
        return onOff != 0;
    });
    Item<BitButton>(IDC_SOURCE_SWITCH + source)->SetLatched(on);
}

void MainDlg::OnMute(bool first) {
    const bool muted = model().Edit([&] {
        uint8_t& mute = Channel(first ? FirstBlock() : SecondBlock()).Mute;
        mute = mute ? 0 : 1;
        return mute != 0;
    });
    Item<BitButton>(first ? IDC_FIRST_MUTE : IDC_SECOND_MUTE)->SetLatched(muted);
}

void MainDlg::SelectChannel(int block) {
    if (block == SideBlock()) return;
    Side() = block;
    strips_.BindBandSet(block, true);
    RefreshFromModel();
}

void MainDlg::OnSync() {
    unit().handler().WithSendLock([&] {
        const bool linked = LinkByte() == 0;
        SetLinkByte(linked ? 1 : 0);
        if (linked) {
            if (SideBlock() != FirstBlock()) {
                Side() = FirstBlock();
                strips_.ForgetHighlight();
                strips_.BindBandSet(FirstBlock(), true);
            }
        } else {
            // The second channel takes the first one's settings, keeping its own mute and delay, in
            // the current and the last-sent image: the unit already runs it that way.
            LinkOutputPair(model(), SecondBlock());
        }
        RefreshFromModel();
    });
}

void MainDlg::OnEqReset() {
    ResetEqBands(model(), SideBlock());
    strips_.ShowFrom(0);
    graph_->ShowBandSet(SideBlock());
    graph_->SelectBand(-1, false);
}

void MainDlg::OnEqPass() {
    const bool bypassed = model().Edit([&] {
        uint8_t& bypass = Channel(SideBlock()).EqBypass;
        bypass = bypass ? 0 : 1;
        return bypass != 0;
    });
    graph_->SelectBand(-1, false);
    Item<BitButton>(IDC_EQ_PASS)->SetLatched(bypassed);
}

// The graph reports the band under the mouse: a band strip follows it, a filter its controls.
void MainDlg::OnCurveChanged(int index) {
    if (index >= 0 && index < kStrips) {
        strips_.Strip(index)->RefreshAndFocus();
        strips_.Highlight(index);
    } else if (index == kStrips) {
        highPass_->ShowFrequency();
    } else if (index == kStrips + 1) {
        lowPass_->ShowFrequency();
    }
}

}  // namespace pavo
