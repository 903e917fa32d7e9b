#include "controls/StaticText.h"

#include <QLabel>
#include <QPainter>

namespace pavo {

void DrawStaticText(QLabel* label, const QFont& font, const QColor& colour) {
    QPainter p(label);
    p.setFont(font);
    p.setPen(colour);
    int flags = static_cast<int>(label->alignment());
    if (label->wordWrap()) flags |= Qt::TextWordWrap;
    p.drawText(label->contentsRect(), flags, label->text());
}

}  // namespace pavo
