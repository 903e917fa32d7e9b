#include "controls/SxGroupBox.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

#include "platform/Skin.h"
#include "platform/SystemColours.h"

namespace pavo {

SxGroupBox::SxGroupBox(const QString& title, QWidget* parent, Qt::Alignment alignment)
    : QGroupBox(title, parent), title_(title), alignment_(alignment & Qt::AlignHorizontal_Mask) {
    // A group box only frames its neighbours: it stays behind them and lets their clicks through.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    lower();
}

QFont SxGroupBox::TitleFont() {
    // Arial 10 points at 96 dots per inch; Liberation Sans stands in.
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(13);
    f.setWeight(QFont::Normal);
    return f;
}

void SxGroupBox::SetTitle(const QString& text, bool redraw) {
    title_ = text;
    setTitle(text);
    if (redraw) repaint();
}

bool SxGroupBox::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange) lower();
    return QGroupBox::event(e);
}

void SxGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = rect();
    const int left = frame.x(), top = frame.y();
    const int right = frame.x() + frame.width(), bottom = frame.y() + frame.height();  // exclusive

    // The top line runs through the middle of a line of the default font.
    const int y = top + QFontMetrics(QApplication::font()).height() / 2 - 1;
    const QFont titleFont = TitleFont();
    const int w = QFontMetrics(titleFont).horizontalAdvance(title_);
    int x0;
    if (alignment_ & Qt::AlignRight)
        x0 = right - kTitleMargin - w;
    else if (alignment_ & Qt::AlignHCenter)
        x0 = (frame.width() - w) / 2;
    else
        x0 = left + kTitleMargin;
    const int x1 = x0 + w;

    const bool enabled = isEnabled();
    const QColor first = enabled ? ColorRef(kLineColour) : ButtonShadowColour();
    const QColor second = enabled ? ColorRef(kLineColour) : ButtonHighlightColour();

    // One rectangle outline with the top edge open across the title; pixel corners (l, t) - (r, b).
    auto outline = [&](const QColor& colour, int l, int t, int r, int b) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        auto hline = [&](int xa, int xb, int yy) {  // xa..xb inclusive
            if (xb >= xa) p.drawRect(xa, yy, xb - xa + 1, 1);
        };
        hline(l, std::min(r, x0 - 1), t);
        hline(std::max(l, x1), r, t);
        hline(l, r, b);
        p.drawRect(l, t, 1, b - t + 1);
        p.drawRect(r, t, 1, b - t + 1);
    };
    outline(first, left, y, right - 2, bottom - 2);
    outline(second, left + 1, y + 1, right - 1, bottom - 1);

    if (!title_.isEmpty() && enabled) {
        p.setFont(titleFont);
        p.setPen(ColorRef(kWhite));
        const int th = QFontMetrics(titleFont).height();
        p.drawText(QRect(x0, y - th / 2, w + 1, th), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   title_);
    }
}

}  // namespace pavo
