#include "pages/FilterControls.h"

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "eq/CFStatic.h"
#include "pages/PageControls.h"
#include "platform/ControlId.h"

namespace pavo {

FilterControls::FilterControls(QWidget* page, Which which, Ids ids, const QString& unit)
    : which_(which),
      ids_(ids),
      combo_(DialogItemAs<BitComboBox>(page, ids.combo)),
      edit_(DialogItemAs<NumEdit>(page, ids.edit)),
      slider_(DialogItemAs<BitmapSlider>(page, ids.slider)) {
    SkinCombo(combo_);
    FillSlopeItems(combo_);
    SkinPageSlider(slider_, 0, kFrequencyCodeMax);
    edit_->SetRange(0, kFrequencyCodeMax);
    edit_->SetKind(NumEdit::Frequency, unit);
    edit_->SetValue(0);
    edit_->SetBuddySlider(slider_);
    edit_->setAlignment(Qt::AlignCenter);
    edit_->setFrame(false);
}

void FilterControls::Bind(CKTVEQ* set, CFStatic* graph) {
    set_ = set;
    graph_ = graph;
    filter_ = set ? (which_ == HighPass ? set->GetHighPass() : set->GetLowPass()) : nullptr;
}

void FilterControls::Refresh() {
    if (!filter_ || !filter_->Setting()) return;
    const FilterSetting f = graph_->Bands().model().Edit([this] { return *filter_->Setting(); });
    combo_->setCurrentIndex(f.SlopeCode < combo_->count() ? f.SlopeCode : -1);
    edit_->SetValue(f.FrequencyCode);
    slider_->SetPos(f.FrequencyCode);
}

void FilterControls::ShowFrequency() {
    if (!filter_ || !filter_->Setting()) return;
    const int code = graph_->Bands().model().Edit([this] { return int(filter_->Setting()->FrequencyCode); });
    edit_->SetValue(code);
    slider_->SetPos(code);
}

void FilterControls::SetEnabled(bool enable) {
    for (QWidget* w :
         {static_cast<QWidget*>(combo_), static_cast<QWidget*>(edit_), static_cast<QWidget*>(slider_)})
        EnableControl(w, enable);
}

void FilterControls::SetFrequency(int code) {
    if (filter_) filter_->SetFilterFrequencyCode(code);
    SelectInGraph();
}

void FilterControls::SelectInGraph() {
    if (!graph_ || !set_) return;
    graph_->SelectBand(which_ == HighPass ? set_->HighPassIndex() : set_->LowPassIndex(), false);
}

bool FilterControls::OnSlider(int id) {
    if (id != ids_.slider) return false;
    const int code = slider_->GetPos();
    edit_->SetValue(code);
    SetFrequency(code);
    return true;
}

bool FilterControls::OnEdit(int id) {
    if (id != ids_.edit) return false;
    const int code = edit_->GetValue();
    slider_->SetPos(code);
    SetFrequency(code);
    return true;
}

bool FilterControls::OnCombo(int id) {
    if (id != ids_.combo) return false;
    const int slope = combo_->currentIndex();
    if (slope < 0) return true;
    if (filter_) filter_->SetSlopeCode(slope);
    SelectInGraph();
    return true;
}

}  // namespace pavo
