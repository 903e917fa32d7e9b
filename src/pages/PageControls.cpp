#include "pages/PageControls.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "controls/TransparentStatic.h"
#include "eq/FilterResponse.h"
#include "platform/Skin.h"

namespace pavo {

QWidget* MakePageControl(const ControlTemplate& c, QWidget* parent, bool valueLabel) {
    switch (c.kind) {
        case ControlKind::Static:
            if (valueLabel) return new Edit_Static(parent);
            return new CTransparentStatic(QString::fromUtf8(c.caption), parent);
        case ControlKind::BitmapStatic:
            return new BitmapSlider(parent);
        case ControlKind::Button:
            return new BitButton(QString::fromUtf8(c.caption), parent);
        case ControlKind::Edit:
            return new NumEdit(parent);
        case ControlKind::ComboBox:
            return new BitComboBox(parent);
        default:
            return nullptr;
    }
}

void SkinPageSlider(BitmapSlider* slider, int min, int max) {
    slider->LoadChannelBitmaps(142, 155);
    slider->LoadThumbBitmaps(141, 141);
    slider->SetMargins(0, 0, 0, 0);
    slider->SetRange(min, max);
}

void SkinCombo(BitComboBox* combo) {
    combo->SetBoxBitmaps(201, 202, 200);
    combo->SetListEdgeBitmaps(205, 206, 203, 204);
    combo->SetFocusItemColours(kControlBackground, kWhite);
    combo->SetItemColours(kControlBackground, kWhite);
}

void FillSlopeItems(BitComboBox* combo) {
    for (const char* item : SlopeLabels) combo->addItem(QString::fromLatin1(item));
    combo->setMaxVisibleItems(kSlopeCodes);
}

void SkinButton(BitButton* button, int unlatchedFace, int latchedFace, bool disabledFaces) {
    button->SetFaceBitmaps(unlatchedFace, unlatchedFace, unlatchedFace, latchedFace, latchedFace,
                           latchedFace);
    if (disabledFaces) button->SetDisabledBitmaps(unlatchedFace, latchedFace);
}

void StyleValueLabel(Edit_Static* label, int min, int max, const LabelStyle& style) {
    label->SetRange(min, max);
    label->SetDisplayKind(style.kind);
    const QString unit = QString::fromUtf8(style.unit);
    if (style.kind == Edit_Static::Real)
        label->SetRealScale(style.realScale, style.realOffset, unit);
    else
        label->SetIntScale(style.scale, style.offset, unit);
}

void EnableControl(QWidget* control, bool enable) {
    if (!control) return;
    if (auto* slider = qobject_cast<BitmapSlider*>(control)) slider->EnableSlider(enable);
    control->setEnabled(enable);
}

}  // namespace pavo
