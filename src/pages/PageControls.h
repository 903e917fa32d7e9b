#pragma once
// The skinned controls a page is built from, and the skins every page gives them: the controls a
// dialog template entry becomes, the horizontal page slider, the combo box, the two-state buttons,
// value labels and the slope lists of the high-pass and low-pass selectors.
#include <QString>

#include "platform/DialogTemplate.h"

namespace pavo {

class BitButton;
class BitComboBox;
class BitmapSlider;
class Edit_Static;

// The control of a template entry: statics become captions (CTransparentStatic) or, with
// `valueLabel`, value labels (Edit_Static); bitmap statics sliders; buttons skinned buttons; edits
// numeric edits; combo boxes skinned combos. Custom entries are the page's own business: null.
QWidget* MakePageControl(const ControlTemplate& c, QWidget* parent, bool valueLabel);

// The horizontal slider of the pages: channel 142 with the active part 155, thumb 141, no margins.
void SkinPageSlider(BitmapSlider* slider, int min, int max);
// The combo box skin: box 200 / 201 / 202, list edges 203..206, white on the control background.
void SkinCombo(BitComboBox* combo);
// The thirteen slopes "ByPass" .. "36dBLink-Riley", in code order.
void FillSlopeItems(BitComboBox* combo);
// A two-state button: one face unlatched and one latched in every mouse state; with
// `disabledFaces` the same two faces when disabled.
void SkinButton(BitButton* button, int unlatchedFace, int latchedFace, bool disabledFaces = false);

// How a value label shows its code (the kinds of Edit_Static).
struct LabelStyle {
    int kind;
    int scale = 1;  // kinds 20 and 47; kind 14 uses realScale
    int offset = 0;
    const char* unit = "";
    double realScale = 0;
    double realOffset = 0;
};
void StyleValueLabel(Edit_Static* label, int min, int max, const LabelStyle& style);

// Enables or disables a page control; a bitmap slider also drops its thumb and any drag.
void EnableControl(QWidget* control, bool enable);

}  // namespace pavo
