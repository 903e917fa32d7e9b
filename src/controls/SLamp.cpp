#include "controls/SLamp.h"

#include <QPainter>

#include "platform/Skin.h"

namespace pavo {

namespace {
constexpr uint32_t kGreen = 0x50B000;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kOrange = 0x00A5FF;
constexpr int kRowGap = 6;  // background left at the top of every row
}  // namespace

SLamp::SLamp(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SLamp::LayoutSegments() {
    const QRect client = rect();
    const int h = client.height() / 17;
    const int bottom = client.y() + client.height();  // exclusive
    for (int i = 0; i < kSegments; ++i) {
        const int top = bottom - (i + 1) * h + kRowGap;
        const int bot = bottom - i * h;
        segments_[i].rect = QRect(client.x(), top, client.width(), bot - top);
        segments_[i].colour = i < 16 ? kGreen : (i == 16 ? kYellow : kOrange);
    }
}

void SLamp::SetLevel(int level) {
    if (level > 200) level = 200;
    for (int i = 0; i < kIndicator; ++i) segments_[i].pending = false;
    if (level >= 110) {
        const int n = (level - 110) / 6;
        for (int i = 0; i <= n && i < kIndicator; ++i) segments_[i].pending = true;
        if (level >= 200) segments_[16].pending = true;
    }
    for (int i = 0; i < kIndicator; ++i) {
        Segment& s = segments_[i];
        if (s.shown != s.pending) {
            s.shown = s.pending;
            repaintNeeded_ = true;
        }
        s.pending = false;
    }
    if (repaintNeeded_) {
        Paint();
        repaintNeeded_ = false;
    }
}

void SLamp::SetIndicator(int value) {
    const bool shown = value < 200;
    if (segments_[kIndicator].shown == shown) return;
    segments_[kIndicator].shown = shown;
    Paint();
}

void SLamp::AllOff() {
    for (Segment& s : segments_) s.shown = s.pending = false;
    Paint();
}

void SLamp::Paint() {
    update();
}

void SLamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorRef(kBackground));
    for (const Segment& s : segments_)
        if (s.shown && !s.rect.isEmpty()) p.fillRect(s.rect, ColorRef(s.colour));
}

}  // namespace pavo
