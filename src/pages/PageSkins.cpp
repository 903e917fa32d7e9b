#include "pages/PageSkins.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "platform/Skin.h"

namespace pavo {

void SkinPageSlider(BitmapSlider* slider) {
    slider->LoadChannelBitmaps(142, 155);
    slider->LoadThumbBitmaps(141, 141);
    slider->SetMargins(0, 0, 0, 0);
}

void SkinPageCombo(BitComboBox* combo) {
    combo->SetBoxBitmaps(201, 202, 200);
    combo->SetListEdgeBitmaps(205, 206, 203, 204);
    combo->SetFocusItemColours(kControlBackground, kWhite);
    combo->SetItemColours(kControlBackground, kWhite);
}

void SkinLatchButton(BitButton* button, bool disabledLook) {
    button->SetFaceBitmaps(152, 152, 152, 153, 153, 153);
    if (disabledLook) button->SetDisabledBitmaps(152, 153);
}

}  // namespace pavo
