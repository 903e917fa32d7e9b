#pragma once
// The text drawing the skinned statics share: transparent background, the label's alignment and word
// wrap, in the given colour and font.
#include <QColor>
#include <QFont>

class QLabel;

namespace pavo {

void DrawStaticText(QLabel* label, const QFont& font, const QColor& colour);

}  // namespace pavo
