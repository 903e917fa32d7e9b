#pragma once
// The skins the pages give their common controls, so each page states only which control gets which.
namespace pavo {

class BitButton;
class BitComboBox;
class BitmapSlider;

// A horizontal page slider: channel 142, active channel 155, thumb 141 in both states, no key
// colour, no margins.
void SkinPageSlider(BitmapSlider* slider);
// The combo box skin: box 201, 202, 200; list edges 205, 206, 203, 204; light text on the dark
// control background for both the focused item and the others.
void SkinPageCombo(BitComboBox* combo);
// A two-state page button: face 152 while not latched and 153 while latched, in every mouse state.
// With `disabledLook` the same two faces show while it is disabled.
void SkinLatchButton(BitButton* button, bool disabledLook);

}  // namespace pavo
