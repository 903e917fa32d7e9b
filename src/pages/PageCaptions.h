#pragma once
// The bilingual captions of a page: a table of control id, Chinese text, English text, applied to the
// page's statics and buttons by the UI language flag. As in the dialog resources, "&&" in a text
// stands for one "&"; it never makes a keyboard shortcut.
#include <QString>
#include <QWidget>
#include <span>

namespace pavo {

struct Caption {
    int id;
    const char* chinese;
    const char* english;
};

// The text shown for a caption in the current UI language.
QString CaptionText(const Caption& caption);
// Sets every caption of the table on the page's control of that id (labels and buttons).
void ApplyCaptions(QWidget* page, std::span<const Caption> captions);

}  // namespace pavo
