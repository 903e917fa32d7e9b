#include "controls/EnTabCtrl.h"

#include <QPainter>

#include "platform/Skin.h"
#include "platform/SystemColours.h"

namespace pavo {

namespace {

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}
uint32_t Bgr(int r, int g, int b) {
    return static_cast<uint32_t>(r | (g << 8) | (b << 16));
}

}  // namespace

EnTabCtrl::EnTabCtrl(QWidget* parent) : BaseTabCtrl(parent) {}

uint32_t EnTabCtrl::Darken(uint32_t colour, float factor) {
    auto ch = [&](int shift) {
        return static_cast<int>(static_cast<float>(Channel(colour, shift)) * factor);
    };
    return Bgr(ch(0), ch(8), ch(16));
}

uint32_t EnTabCtrl::Lighten(uint32_t colour, float factor) {
    auto ch = [&](int shift) {
        const float v = static_cast<float>(Channel(colour, shift)) * factor;
        return v > 254.0f ? 255 : static_cast<int>(v);
    };
    return Bgr(ch(0), ch(8), ch(16));
}

QString EnTabCtrl::FitText(const QString& text, const QFontMetrics& fm, int width) {
    return fm.elidedText(text.left(kMaxTextLength), Qt::ElideRight, std::max(0, width));
}

uint32_t EnTabCtrl::TabColour(bool selected) const {
    return Lighten(selected ? kSelectedBase : kTabBase, 1.9f);
}

uint32_t EnTabCtrl::TabTextColour(bool selected) const {
    return selected ? kSelectedText : Darken(BackgroundColour(), 0.1f);
}

uint32_t EnTabCtrl::GradientTarget(bool selected) const {
    return selected ? ToColorRef(ButtonFaceColour()) : Darken(BackgroundColour(), 0.7f);
}

QRect EnTabCtrl::TextRect(const QRect& fill, bool selected) {
    const int right = fill.x() + fill.width(), bottom = fill.y() + fill.height();
    return Ltrb(fill.x() + 3, fill.y() + (selected ? 4 : 3), right - 3, bottom);
}

QRect EnTabCtrl::FillRect(int index) const {
    QRect rc = GetItemRect(index);
    if (rc.isNull()) return rc;
    // Painting raises the selected tab by 2 pixels and leaves it 1 pixel taller below; the others keep
    // their item rectangle.
    return index == GetCurSel() ? rc.adjusted(0, -2, 0, 1) : rc;
}

void EnTabCtrl::DrawMainBorder(QPainter& p, const QRect& rc) {
    const uint32_t t = TabColour(false);
    const QColor light = ColorRef(Lighten(t, 1.5f)), dark = ColorRef(Darken(t, 0.75f));
    p.fillRect(rc.x(), rc.y(), rc.width() - 1, 1, light);
    p.fillRect(rc.x(), rc.y(), 1, rc.height() - 1, light);
    p.fillRect(rc.x() + rc.width() - 1, rc.y(), 1, rc.height(), dark);
    p.fillRect(rc.x(), rc.y() + rc.height() - 1, rc.width(), 1, dark);
}

// The tab body: 2-pixel bands from the tab colour towards the target colour, then the caption.
void EnTabCtrl::DrawItem(QPainter& p, int index, const QRect& rc, bool selected) {
    const QRect fill = rc.adjusted(0, 0, 0, selected ? -1 : 2);
    const uint32_t c = TabColour(selected);
    if (TabOptions() & OptionGradient) {
        const uint32_t g = GradientTarget(selected);
        const int h = fill.height();
        for (int e = 0; e < h; e += 2) {
            auto band = [&](int shift) {
                const int from = Channel(c, shift), to = Channel(g, shift);
                return from + e * (to - from) / h;
            };
            p.fillRect(fill.x(), fill.y() + e, fill.width(), std::min(2, h - e),
                       ColorRef(Bgr(band(0), band(8), band(16))));
        }
    } else {
        p.fillRect(fill, ColorRef(c));
    }

    const QRect box = TextRect(fill, selected);
    p.setFont(font());
    p.setPen(ColorRef(TabTextColour(selected)));
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
               FitText(ItemText(index), fontMetrics(), box.width()));
}

void EnTabCtrl::DrawItemBorder(QPainter& p, int, const QRect& rc, bool selected) {
    const QRect r = rc.adjusted(0, 0, 0, selected ? -1 : 1);
    const uint32_t c = TabColour(selected);
    const QColor light = ColorRef(Lighten(c, 1.5f)), dark = ColorRef(Darken(c, 0.75f));
    p.fillRect(r.x(), r.y(), 1, r.height(), light);
    p.fillRect(r.x(), r.y(), r.width(), 1, light);
    p.fillRect(r.x() + r.width() - 1, r.y(), 1, r.height(), dark);
}

}  // namespace pavo
