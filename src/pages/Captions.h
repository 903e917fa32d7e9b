#pragma once
// Bilingual captions of a page's controls, set by id at each relabel.
#include <QString>
#include <span>

class QWidget;

namespace pavo {

struct Caption {
    int id;
    const char* chinese;
    const char* english;
};

// The caption in the current UI language; "&&", a static control's escaped ampersand, shows as "&".
QString CaptionText(const Caption& c);
// Sets the text of every listed control of `dialog` (labels and buttons) that exists.
void ApplyCaptions(const QWidget* dialog, std::span<const Caption> captions);

}  // namespace pavo
