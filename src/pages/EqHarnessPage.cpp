#include "pages/EqHarnessPage.h"

#include <algorithm>

#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "pages/EQDlg.h"
#include "pages/PageControls.h"

namespace pavo {

namespace {
constexpr int kGraphHeight = 280;
}  // namespace

int EqHarnessPage::PageIndexOfBlock(int blockNumber) {
    if (blockNumber == BlockMusicLeft || blockNumber == BlockMusicRight) return 0;
    if (blockNumber == BlockMusicLeftDyn || blockNumber == BlockMusicRightDyn) return 1;
    if (blockNumber == BlockMic12 || blockNumber == BlockMic34) return 2;
    if (blockNumber >= BlockEchoA && blockNumber <= BlockReverbSpare) return 6;
    if (blockNumber >= BlockOutputFirst && blockNumber <= BlockOutputLast) return 3;
    return -1;
}

EqHarnessPage::EqHarnessPage(Unit& unit, int blockNumber, int stripCount, QWidget* parent)
    : PageDlg(unit, parent), block_(blockNumber) {
    const CKTVEQ* set = bands().Of(blockNumber);
    const int strips = std::min(stripCount, set ? set->BandCount() : 0);
    const QSize stripSize = DialogUnits().ToPixels(EQDlg::Template().size);
    const int width = std::max(BandStripRow::kOrigin.x() + BandStripRow::kPitch * strips + 10, 720);
    const int graphTop = BandStripRow::kOrigin.y() + stripSize.height() + 10;
    resize(width, graphTop + kGraphHeight + 10);

    graph_ = new CFStatic(bands(), this);
    graph_->setGeometry(10, graphTop, width - 20, kGraphHeight);
    SetUpPageGraph(graph_, this, PageIndexOfBlock(blockNumber), blockNumber);

    strips_.Create(this, graph_, blockNumber, strips);

    OnMessage(WM_EQCURVE_CHANGED, [this](WParam, LParam index) {
        if (index >= 0 && index < StripCount()) {
            strips_.Strip(static_cast<int>(index))->RefreshAndFocus();
            strips_.HighlightAgain(static_cast<int>(index));
        }
        return LResult{0};
    });
    OnMessage(WM_EQSTRIP_CHANGED, [this](WParam, LParam index) {
        strips_.HighlightAgain(static_cast<int>(index));
        return LResult{0};
    });
}

void EqHarnessPage::ShowBlock(int blockNumber) {
    block_ = blockNumber;
    graph_->ShowBandSet(blockNumber);
    graph_->SelectBand(-1, false);
    strips_.BindBandSet(blockNumber, true);
    strips_.ForgetHighlight();
}

void EqHarnessPage::RefreshFromModel() {
    strips_.RefreshFromBand();
    graph_->SelectBand(graph_->SelectedIndex(), false);
}

}  // namespace pavo
