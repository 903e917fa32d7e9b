#include "pages/EqHarnessPage.h"

#include <algorithm>

#include "controls/FontStatic.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "pages/EQDlg.h"
#include "platform/Skin.h"

namespace pavo {

namespace {
constexpr int kStripLeft = 60;
constexpr int kStripPitch = 58;
constexpr int kStripTop = 5;
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

EqHarnessPage::EqHarnessPage(int blockNumber, int stripCount, QWidget* parent)
    : PageDlg(parent), block_(blockNumber) {
    const CKTVEQ* set = BandSetOf(blockNumber);
    const int strips = std::min(stripCount, set ? set->BandCount() : 0);
    const QSize stripSize = DialogUnits().ToPixels(EQDlg::Template().size);
    const int width = std::max(kStripLeft + kStripPitch * strips + 10, 720);
    const int graphTop = kStripTop + stripSize.height() + 10;
    resize(width, graphTop + kGraphHeight + 10);

    graph_ = new CFStatic(this);
    graph_->setGeometry(10, graphTop, width - 20, kGraphHeight);
    graph_->SetNotifyWindow(this);
    graph_->InitLayout();
    graph_->SetPlotRects(PageIndexOfBlock(blockNumber));
    graph_->ShowBandSet(blockNumber);

    for (int i = 0; i < strips; ++i) {
        auto* strip = new EQDlg(this);
        strip->SetGraph(graph_);
        strip->move(kStripLeft + kStripPitch * i, kStripTop);
        strip->BindBandSet(blockNumber, false);
        strip->SetBandIndex(i);
        strips_.push_back(strip);
    }

    OnMessage(WM_EQCURVE_CHANGED, [this](WParam, LParam index) {
        if (index >= 0 && index < StripCount()) {
            strips_[index]->RefreshAndFocus();
            HighlightStrip(static_cast<int>(index));
        }
        return LResult{0};
    });
    OnMessage(WM_EQSTRIP_CHANGED, [this](WParam, LParam index) {
        HighlightStrip(static_cast<int>(index));
        return LResult{0};
    });
}

void EqHarnessPage::ShowBlock(int blockNumber) {
    block_ = blockNumber;
    graph_->ShowBandSet(blockNumber);
    graph_->SelectBand(-1, false);
    for (EQDlg* strip : strips_) strip->BindBandSet(blockNumber, true);
    HighlightStrip(-1);
}

void EqHarnessPage::RefreshFromModel() {
    for (EQDlg* strip : strips_) strip->RefreshFromBand();
    graph_->SelectBand(graph_->SelectedIndex(), false);
}

// The strip whose band was edited last shows its caption in red.
void EqHarnessPage::HighlightStrip(int index) {
    highlighted_ = index;
    for (int i = 0; i < StripCount(); ++i) strips_[i]->Caption()->SetTextColour(i == index ? kRed : kWhite);
}

}  // namespace pavo
