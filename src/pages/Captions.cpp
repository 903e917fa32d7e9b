#include "pages/Captions.h"

#include <QAbstractButton>
#include <QLabel>

#include "platform/ControlId.h"
#include "platform/Language.h"

namespace pavo {

QString CaptionText(const Caption& c) {
    QString text = Bilingual(c.chinese, c.english);
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return text;
}

void ApplyCaptions(const QWidget* dialog, std::span<const Caption> captions) {
    for (const Caption& c : captions) {
        QWidget* w = DialogItem(dialog, c.id);
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(CaptionText(c));
        else if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(CaptionText(c));
    }
}

}  // namespace pavo
