#pragma once
// The skinned controls a page is built from, and the skins every page gives them: the controls a
// dialog template entry becomes, the horizontal page slider, the combo box, the two-state buttons,
// value labels and the styles they share, the slope lists of the high-pass and low-pass selectors,
// the set-up of a page's response graph and the keys that commit an edit.
#include <QString>

#include "controls/Edit_Static.h"
#include "platform/DialogTemplate.h"

namespace pavo {

class BitButton;
class BitComboBox;
class BitmapSlider;
class CFStatic;

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

// The styles several pages give their labels: compressor times and ratio, levels in per cent.
inline constexpr LabelStyle kAttackLabel{Edit_Static::Attack, 1, 0, "ms"};
inline constexpr LabelStyle kReleaseLabel{Edit_Static::Release};
inline constexpr LabelStyle kRatioLabel{Edit_Static::Ratio};
inline constexpr LabelStyle kPercentLabel{Edit_Static::Integer, 1, 0, "%"};
// A time kept in tenths of a millisecond, shown as stored ("23.1ms", "97ms").
inline constexpr LabelStyle kTenthsMsLabel{Edit_Static::Tenths, 1, 0, "ms"};

// Enables or disables a page control; a bitmap slider also drops its thumb and any drag.
void EnableControl(QWidget* control, bool enable);

// A page's response graph: laid out for the band sets of a page index, reporting to the page and
// showing the band set of `block`.
void SetUpPageGraph(CFStatic* graph, QWidget* page, int pageIndex, int block);

// A key press of Enter, Return or Escape: pages and strips take the focus on it, so an edit being typed
// in commits its value, and never let it close anything.
bool IsEnterOrEscape(const QEvent* event);

}  // namespace pavo
