#include "pages/PageCaptions.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>

#include "controls/FontStatic.h"
#include "platform/ControlId.h"
#include "platform/Language.h"

namespace pavo {

QString CaptionText(const Caption& c) {
    QString text = Bilingual(c.chinese, c.english);
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return text;
}

void ApplyCaptions(QWidget* page, std::span<const Caption> captions) {
    for (const Caption& c : captions) {
        QWidget* item = DialogItem(page, c.id);
        const QString text = CaptionText(c);
        if (auto* font = qobject_cast<FontStatic*>(item)) {
            font->SetText(text);
        } else if (auto* label = qobject_cast<QLabel*>(item)) {
            label->setText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(item)) {
            button->setText(text);
            button->setShortcut(QKeySequence());  // "Mic 1&2" is a caption, not Alt+2
        }
    }
}

}  // namespace pavo
