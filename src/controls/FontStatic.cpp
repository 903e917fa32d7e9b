#include "controls/FontStatic.h"

#include <QFontMetrics>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/ControlId.h"
#include "platform/Skin.h"
#include "platform/WinMessage.h"

namespace pavo {

namespace {
constexpr unsigned STN_CLICKED = 0;
}

FontStatic::FontStatic(QWidget* parent) : QLabel(parent) {}

QFont FontStatic::FontOfHeight(int height) {
    // The height is the font's cell height (ascent plus descent), as Windows fonts are asked for by a
    // positive height; Qt sizes fonts by their em, so search the largest em that fits.
    static QHash<int, int> pixelSizes;
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Normal);
    auto it = pixelSizes.find(height);
    if (it == pixelSizes.end()) {
        int px = std::max(1, height);
        for (; px > 1; --px) {
            f.setPixelSize(px);
            if (QFontMetrics(f).height() <= height) break;
        }
        it = pixelSizes.insert(height, px);
    }
    f.setPixelSize(it.value());
    return f;
}

void FontStatic::SetTextColour(uint32_t colour) {
    if (colour == textColour_) return;
    textColour_ = colour;
    update();
}

void FontStatic::SetText(const QString& text) {
    setText(text);
    update();
}

void FontStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (fill_) p.fillRect(rect(), ColorRef(fillColour_));
    p.setFont(FontOfHeight(fontHeight_));
    p.setPen(ColorRef(textColour_));
    int flags = Qt::AlignVCenter;
    if (wrap_)
        flags |= Qt::TextWordWrap;
    else
        flags |= Qt::TextSingleLine | Qt::TextDontClip;
    if (left_)
        flags |= Qt::AlignLeft;
    else if (right_)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignHCenter;
    p.drawText(rect(), flags, text());
}

// A notifying static: a press reaches the parent as a click notification.
void FontStatic::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        SendMessage(parentWidget(), WM_COMMAND, MakeCommand(ControlId(this), STN_CLICKED), 0);
    QLabel::mousePressEvent(e);
}

}  // namespace pavo
