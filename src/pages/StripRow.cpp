#include "pages/StripRow.h"

#include "controls/BitmapSlider.h"
#include "controls/FontStatic.h"
#include "pages/EQDlg.h"
#include "platform/Skin.h"

namespace pavo {

void StripRow::Create(QWidget* parent, CFStatic* graph, int block, int count, QPoint origin, int pitch) {
    for (int i = 0; i < count; ++i) {
        auto* strip = new EQDlg(parent);
        strip->SetGraph(graph);
        strip->move(origin.x() + pitch * i, origin.y());
        strip->show();
        strip->BindBandSet(block, false);
        strip->SetBandIndex(i);
        strips_.push_back(strip);
    }
}

void StripRow::BindBandSet(int block, bool rebind) {
    for (EQDlg* s : strips_) s->BindBandSet(block, rebind);
}

void StripRow::RefreshFromBand() {
    for (EQDlg* s : strips_) s->RefreshFromBand();
}

void StripRow::ResetBandIndexes() {
    for (int i = 0; i < Count(); ++i) strips_[i]->SetBandIndex(i);  // shows the band too
}

void StripRow::SetEnabled(bool enable) {
    for (EQDlg* s : strips_) {
        s->GainSlider()->EnableSlider(enable);
        s->setEnabled(enable);
    }
}

void StripRow::SetCaptionColour(int index, bool red) {
    if (index >= 0 && index < Count()) strips_[index]->Caption()->SetTextColour(red ? kRed : kWhite);
}

void StripRow::Highlight(int index) {
    if (index == highlighted_) return;
    SetCaptionColour(highlighted_, false);
    highlighted_ = index;
    SetCaptionColour(highlighted_, true);
}

void StripRow::HighlightAgain(int index) {
    SetCaptionColour(highlighted_, false);
    highlighted_ = index;
    SetCaptionColour(highlighted_, true);
}

void StripRow::WhitenHighlighted() {
    SetCaptionColour(highlighted_, false);
}

void StripRow::ForgetHighlight() {
    SetCaptionColour(highlighted_, false);
    highlighted_ = -1;
}

}  // namespace pavo
