#include "pages/Effect_Dlg.h"

#include "controls/BitButton.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "pages/Echo_Dlg.h"
#include "pages/PageCaptions.h"
#include "pages/PageControls.h"
#include "pages/Rev_Dlg.h"
#include "platform/ControlId.h"

namespace pavo {

namespace {

constexpr int kGraphPageIndex = 6;      // lays out the sets of the echoes and the reverbs
constexpr QPoint kChildOrigin{100, 0};  // the echo and reverb pages, right of the buttons

const Caption kCaptions[] = {
    {Effect_Dlg::IDC_ECHO_A, "回声A", "EchoA"},
    {Effect_Dlg::IDC_ECHO_B, "回声B", "EchoB"},
    {Effect_Dlg::IDC_REVERB, "混响", "Reverb"},
};

// Dialog resource 146 in dialog units: the selector buttons at the left, the graph along the bottom,
// under the echo and reverb pages.
DialogTemplate MakeTemplate() {
    DialogTemplate t{Effect_Dlg::IDD, QSize(718, 345), {}};
    const int buttons[] = {Effect_Dlg::IDC_ECHO_A, Effect_Dlg::IDC_ECHO_B, Effect_Dlg::IDC_REVERB};
    for (int i = 0; i < 3; ++i)
        t.controls.push_back({buttons[i], ControlKind::Button, {4, 10 + 22 * i, 49, 14}});
    t.controls.push_back({Effect_Dlg::IDC_GRAPH, ControlKind::Custom, {3, 170, 712, 172}});
    return t;
}

}  // namespace

const DialogTemplate& Effect_Dlg::Template() {
    static const DialogTemplate t = MakeTemplate();
    return t;
}

Effect_Dlg::Effect_Dlg(PageHost& host, QWidget* parent) : PageDlg(host.unit(), parent), host_(host) {}

void Effect_Dlg::CreateContents() {
    CreateControls(Template(), [this](const ControlTemplate& c, QWidget* p) -> QWidget* {
        if (c.id == IDC_GRAPH) return graph_ = new CFStatic(bands(), p);
        return MakePageControl(c, p, false);
    });
    SetUpPageGraph(graph_, this, kGraphPageIndex, BlockEchoA);

    echo_ = new Echo_Dlg(unit(), graph_, this);
    reverb_ = new Rev_Dlg(unit(), graph_, this);
    for (PageDlg* child : {static_cast<PageDlg*>(echo_), static_cast<PageDlg*>(reverb_)}) {
        child->move(kChildOrigin);
        child->hide();
    }
    for (int id = IDC_ECHO_A; id <= IDC_REVERB; ++id) SkinButton(Item<BitButton>(id), 158, 157);

    OnCommand(IDC_ECHO_A, BN_CLICKED, [this] { SelectEffect(BlockEchoA); });
    OnCommand(IDC_ECHO_B, BN_CLICKED, [this] { SelectEffect(BlockEchoB); });
    OnCommand(IDC_REVERB, BN_CLICKED, [this] { SelectEffect(BlockReverb); });
    OnMessage(WM_EQCURVE_CHANGED, [this](WParam graphId, LParam index) {
        if (graphId == BlockEchoA || graphId == BlockEchoB)
            echo_->ShowBand(static_cast<int>(index));
        else if (graphId == BlockReverb)
            reverb_->ShowBand(static_cast<int>(index));
        return LResult{0};
    });
}

void Effect_Dlg::ApplyLanguage() {
    if (!IsCreated()) return;
    ApplyCaptions(this, kCaptions);
    echo_->ApplyLanguage();
    reverb_->ApplyLanguage();
}

void Effect_Dlg::RefreshFromModel() {
    EnsureCreated();
    const int side = model().pages.EffectSide;
    const bool reverb = side == BlockReverb;
    if (graph_->GraphId() != side) graph_->ShowBandSet(side);
    if (reverb) {
        echo_->hide();
        reverb_->show();
        reverb_->RefreshFromModel();
    } else {
        reverb_->hide();
        echo_->show();
        echo_->RefreshFromModel();
    }
    Item<BitButton>(IDC_ECHO_A)->SetLatched(side == BlockEchoA);
    Item<BitButton>(IDC_ECHO_B)->SetLatched(side == BlockEchoB);
    Item<BitButton>(IDC_REVERB)->SetLatched(reverb);
    graph_->SelectBand(-1, false);
}

void Effect_Dlg::SelectEffect(int side) {
    int& current = model().pages.EffectSide;
    if (side == current) return;
    current = side;
    if (side != BlockReverb) echo_->SetEffectSide();
    graph_->ShowBandSet(side);
    RefreshFromModel();
}

}  // namespace pavo
