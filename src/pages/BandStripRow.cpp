#include "pages/BandStripRow.h"

#include "controls/BitmapSlider.h"
#include "controls/FontStatic.h"
#include "eq/CFStatic.h"
#include "pages/EQDlg.h"
#include "platform/Skin.h"

namespace pavo {

void BandStripRow::Create(QWidget* page, CFStatic* graph, int block, int count, int pitch) {
    block_ = block;
    for (int i = 0; i < count; ++i) {
        auto* strip = new EQDlg(graph->Bands(), page);
        strip->SetGraph(graph);
        strip->move(kOrigin.x() + pitch * i, kOrigin.y());
        strip->show();
        strip->BindBandSet(block, false);
        strip->SetBandIndex(i);
        strips_.push_back(strip);
    }
}

void BandStripRow::BindBandSet(int block, bool rebind) {
    block_ = block;
    for (EQDlg* s : strips_) s->BindBandSet(block, rebind);
}

void BandStripRow::Bind(int block) {
    ForgetHighlight();
    block_ = block;
    for (int i = 0; i < Count(); ++i) {
        strips_[i]->BindBandSet(block, false);
        strips_[i]->SetBandIndex(first_ + i);
    }
}

void BandStripRow::ShowFrom(int first) {
    first_ = first;
    WhitenHighlighted();
    for (int i = 0; i < Count(); ++i) strips_[i]->SetBandIndex(first_ + i);  // shows the band too
}

void BandStripRow::RefreshFromBand() {
    for (EQDlg* s : strips_) s->RefreshFromBand();
}

void BandStripRow::SetEnabled(bool enable) {
    for (EQDlg* s : strips_) {
        s->GainSlider()->EnableSlider(enable);
        s->setEnabled(enable);
    }
}

void BandStripRow::SetCaptionColour(int strip, bool red) {
    if (strip >= 0 && strip < Count()) strips_[strip]->Caption()->SetTextColour(red ? kRed : kWhite);
}

void BandStripRow::Highlight(int strip) {
    if (strip == highlighted_) return;
    HighlightAgain(strip);
}

void BandStripRow::HighlightAgain(int strip) {
    if (strip < 0 || strip >= Count()) return;
    SetCaptionColour(highlighted_, false);
    highlighted_ = strip;
    SetCaptionColour(highlighted_, true);
}

void BandStripRow::WhitenHighlighted() {
    SetCaptionColour(highlighted_, false);
}

void BandStripRow::ForgetHighlight() {
    SetCaptionColour(highlighted_, false);
    highlighted_ = -1;
}

}  // namespace pavo
