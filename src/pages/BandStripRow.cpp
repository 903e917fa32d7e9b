#include "pages/BandStripRow.h"

#include "controls/FontStatic.h"
#include "pages/EQDlg.h"
#include "platform/Skin.h"

namespace pavo {

BandStripRow::BandStripRow(QWidget* page, CFStatic* graph, int block, int count) : block_(block) {
    for (int i = 0; i < count; ++i) {
        auto* strip = new EQDlg(page);
        strip->SetGraph(graph);
        strip->move(kLeft + kPitch * i, kTop);
        strip->show();
        strip->BindBandSet(block, false);
        strip->SetBandIndex(i);
        strips_.push_back(strip);
    }
}

int BandStripRow::StripOfBand(int band) const {
    const int i = band - first_;
    return i >= 0 && i < Count() ? i : -1;
}

void BandStripRow::Bind(int block) {
    ForgetHighlight();
    block_ = block;
    // Binding and re-linking each band to its strip's gain slider, so graph drags move the slider.
    for (int i = 0; i < Count(); ++i) {
        strips_[i]->BindBandSet(block, false);
        strips_[i]->SetBandIndex(first_ + i);
    }
}

void BandStripRow::ShowFrom(int first) {
    first_ = first;
    if (highlighted_ >= 0) strips_[highlighted_]->Caption()->SetTextColour(kWhite);
    for (int i = 0; i < Count(); ++i) strips_[i]->SetBandIndex(first_ + i);
}

void BandStripRow::RefreshFromBand() {
    for (EQDlg* strip : strips_) strip->RefreshFromBand();
}

void BandStripRow::Highlight(int strip) {
    if (strip < 0 || strip >= Count()) return;
    if (highlighted_ >= 0 && highlighted_ != strip) strips_[highlighted_]->Caption()->SetTextColour(kWhite);
    highlighted_ = strip;
    strips_[strip]->Caption()->SetTextColour(kRed);
}

void BandStripRow::ForgetHighlight() {
    if (highlighted_ >= 0) strips_[highlighted_]->Caption()->SetTextColour(kWhite);
    highlighted_ = -1;
}

}  // namespace pavo
