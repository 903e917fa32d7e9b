#include "controls/BitmapSlider.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/ControlId.h"
#include "platform/Resources.h"
#include "platform/Timers.h"

namespace pavo {

BitmapSlider::BitmapSlider(QWidget* parent) : QWidget(parent) {
    // Focus comes from a press (taken by hand, so a disabled slider does not take it) or from Tab.
    setFocusPolicy(Qt::TabFocus);
    OnMessage(WM_TIMER, [this](WParam id, LParam) -> LResult {
        if (id != kTrackingTimer) return 0;
        if (pending_) {
            Notify(WM_SLIDER_TRACKING);
            pending_ = false;
        }
        return 0;
    });
}

QImage BitmapSlider::RenderOne(int id, bool transparent, const BitmapSource& source) const {
    const qreal dpr = rendered_.dpr;
    if (id == 0) return {};
    if (!transparent) return LoadBitmapImage(id, dpr);
    return LoadKeyedBitmapImage(id, dpr, source.key, source.keyX, source.keyY);
}

void BitmapSlider::Render(qreal dpr) const {
    if (rendered_.dpr == dpr) return;
    rendered_ = Rendered{};
    rendered_.dpr = dpr;
    if (channelLoaded_) {
        const BitmapSource& c = channelSource_;
        rendered_.channel = RenderOne(c.id, c.transparent, c);
        rendered_.activeChannel = RenderOne(c.activeId, c.transparent, c);
    }
    if (thumbLoaded_) {
        const BitmapSource& t = thumbSource_;
        rendered_.thumb = RenderOne(t.id, t.transparent, t);
        // A transparent thumb shows either look through the normal thumb's mask.
        rendered_.activeThumb = t.activeId == 0 ? QImage() : RenderOne(t.activeId, false, t);
        if (t.transparent && !rendered_.activeThumb.isNull())
            rendered_.activeThumb = ApplyMask(rendered_.activeThumb, rendered_.thumb);
    }
}

bool BitmapSlider::LoadChannelBitmaps(int channelId, int activeId, bool transparent, uint32_t keyColour,
                                      int keyX, int keyY) {
    rendered_.dpr = 0;
    channelLoaded_ = false;
    if (channelId == 0) {
        channelSource_ = {};
        update();
        return true;
    }
    if (!HasBitmap(channelId) || (activeId != 0 && !HasBitmap(activeId))) {
        channelSource_ = {};
        update();
        return false;
    }
    channelSource_ = {channelId, activeId, transparent, keyColour, keyX, keyY};
    const QSize size = BitmapSize(channelId);
    Q_ASSERT(activeId == 0 || BitmapSize(activeId) == size);
    width_ = size.width();
    height_ = size.height();
    resize(size);
    channelLoaded_ = true;
    updateGeometry();
    update();
    return true;
}

bool BitmapSlider::LoadThumbBitmaps(int thumbId, int activeId, bool transparent, uint32_t keyColour, int keyX,
                                    int keyY) {
    rendered_.dpr = 0;
    thumbLoaded_ = false;
    if (thumbId == 0) {
        thumbSource_ = {};
        update();
        return true;
    }
    if (!HasBitmap(thumbId) || (activeId != 0 && !HasBitmap(activeId))) {
        thumbSource_ = {};
        update();
        return false;
    }
    thumbSource_ = {thumbId, activeId, transparent, keyColour, keyX, keyY};
    const QSize size = BitmapSize(thumbId);
    thumbWidth_ = size.width();
    thumbHeight_ = size.height();
    if (!channelLoaded_) {
        width_ = width();
        height_ = height();
    }
    Q_ASSERT(width_ >= thumbWidth_ && height_ >= thumbHeight_);
    Q_ASSERT(activeId == 0 || BitmapSize(activeId) == size);
    thumbLoaded_ = true;
    update();
    return true;
}

void BitmapSlider::SetRange(int min, int max, bool redraw) {
    min_ = min;
    max_ = max;
    pos_ = min_;
    if (redraw) update();
}

void BitmapSlider::SetPos(int pos) {
    pos_ = std::clamp(pos, std::min(min_, max_), std::max(min_, max_));
    update();
}

void BitmapSlider::SetInvertedPos(int value) {
    pos_ = max_ + min_ - value;
    update();
}

void BitmapSlider::SetMargins(int left, int top, int right, int bottom) {
    marginLeft_ = left;
    marginTop_ = top;
    marginRight_ = right;
    marginBottom_ = bottom;
    update();
}

void BitmapSlider::SetVertical(bool vertical) {
    vertical_ = vertical;
    update();
}

void BitmapSlider::EnableSlider(bool enable) {
    enabled_ = enable;
    if (!enabled_ && dragging_) EndDrag();
    update();
}

void BitmapSlider::SetHighlight(bool highlight) {
    if (highlight_ == highlight) return;
    highlight_ = highlight;
    update();
}

// A range or a track with no room maps every position to the start of the track.
int BitmapSlider::CentreOfPos(int pos) const {
    const int span = TrackLength() - MarginStart() - MarginEnd() - ThumbLength();
    const int start = MarginStart() + ThumbLength() / 2;
    if (max_ == min_ || span <= 0) return start;
    return start + static_cast<int>(static_cast<double>(span) * (pos - min_) / (max_ - min_));
}

int BitmapSlider::PosOfCentre(int centre) const {
    const int span = TrackLength() - MarginStart() - MarginEnd() - ThumbLength();
    if (span <= 0) return min_;
    return static_cast<int>(min_ + static_cast<double>(centre - MarginStart() - ThumbLength() / 2) *
                                       (max_ - min_) / span);
}

int BitmapSlider::Along(const QPointF& p) const {
    return static_cast<int>(std::floor(vertical_ ? p.y() : p.x()));
}

int BitmapSlider::ClampTarget(int target) const {
    const int lo = MarginStart() + ThumbLength() / 2;
    const int hi = TrackLength() - MarginEnd() - ThumbLength() / 2;
    return std::max(lo, std::min(target, hi));
}

void BitmapSlider::Notify(unsigned message) {
    PostMessage(parentWidget(), message, static_cast<WParam>(ControlId(this)), pos_);
}

void BitmapSlider::EndDrag() {
    dragging_ = false;
    pending_ = false;
    moved_ = false;
    KillTimer(this, kTrackingTimer);
}

void BitmapSlider::mousePressEvent(QMouseEvent* e) {
    if (!enabled_ || e->button() != Qt::LeftButton) return;
    // The press grabs the mouse until the release (Qt's implicit grab).
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    moved_ = false;
    const int press = Along(e->position());
    const int centre = ThumbCentre();
    mouseOffset_ = std::abs(press - centre) <= ThumbLength() / 2 ? press - centre : 0;

    // A press beside the thumb steps one unit towards it and starts no drag.
    const int target = ClampTarget(press - mouseOffset_);
    if (target != centre) {
        const int before = pos_;
        const int v = PosOfCentre(target);
        SetPos(v < pos_ ? pos_ - 1 : pos_ + 1);
        dragging_ = false;
        pending_ = pos_ != before;
    }
    SetTimer(this, kTrackingTimer, kTrackingPeriodMs);
    update();
}

// Only a position the user changed is reported: a press on the thumb and a release where it was (or
// a drag that comes back to the same step) leave the parent's value alone, so that a stored value
// between two slider steps is not rounded to one.
void BitmapSlider::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_ || !enabled_) return;
    if (!(e->buttons() & Qt::LeftButton)) {
        // The release went elsewhere (a menu, another window): the drag ends where it was.
        FinishDrag();
        return;
    }
    const int target = ClampTarget(Along(e->position()) - mouseOffset_);
    // Compared with where the thumb was before this move, so that reaching the start of the track is
    // redrawn and reported like any other move.
    const int centre = ThumbCentre();
    const int before = pos_;
    if (target == MarginStart() + ThumbLength() / 2) pos_ = min_;
    if (target != centre) SetPos(PosOfCentre(target));
    if (pos_ != before) {
        pending_ = true;
        moved_ = true;
    }
}

void BitmapSlider::mouseReleaseEvent(QMouseEvent* e) {
    if (!enabled_ || e->button() != Qt::LeftButton) return;
    FinishDrag();
}

void BitmapSlider::FinishDrag() {
    if (dragging_ && moved_)
        Notify(WM_SLIDER_CHANGED);
    else if (!dragging_ && pending_)
        // A click step released before the first tick would otherwise never reach the parent.
        Notify(WM_SLIDER_TRACKING);
    dragging_ = false;
    pending_ = false;
    moved_ = false;
    KillTimer(this, kTrackingTimer);
    update();
}

void BitmapSlider::keyPressEvent(QKeyEvent* e) {
    if (!enabled_) return;
    switch (e->key()) {
        case Qt::Key_PageUp:
            SetPos(pos_ - pageSize_);
            break;
        case Qt::Key_PageDown:
            SetPos(pos_ + pageSize_);
            break;
        case Qt::Key_End:
            SetPos(max_);
            break;
        case Qt::Key_Home:
            SetPos(min_);
            break;
        case Qt::Key_Up:
            SetPos(vertical_ ? pos_ - 1 : pos_ + 1);
            break;
        case Qt::Key_Down:
            SetPos(vertical_ ? pos_ + 1 : pos_ - 1);
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            break;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    Notify(WM_SLIDER_CHANGED);
}

void BitmapSlider::wheelEvent(QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    // A disabled slider shows no thumb and must not change its parameter, by wheel neither. The wheel
    // moves only the slider that has the focus (a click gives it): scrolling past must change nothing.
    if (delta == 0 || !enabled_ || !hasFocus()) {
        e->ignore();
        return;
    }
    wheelAccumulator_ = static_cast<int16_t>(std::clamp(wheelAccumulator_ + delta, -120, 120));
    if (!vertical_) {
        if (wheelAccumulator_ == -120 || wheelAccumulator_ == 120) {
            SetPos(wheelAccumulator_ < 0 ? pos_ - 1 : pos_ + 1);
            wheelAccumulator_ = 0;
            Notify(WM_SLIDER_CHANGED);
        }
    } else {
        // The thumb follows the wheel: the minimum is at the top.
        if (wheelAccumulator_ == -120 || wheelAccumulator_ == 120) {
            SetPos(wheelAccumulator_ < 0 ? pos_ + 1 : pos_ - 1);
            wheelAccumulator_ = 0;
        }
        Notify(WM_SLIDER_CHANGED);
    }
    update();
    e->accept();
}

void BitmapSlider::focusInEvent(QFocusEvent*) {
    highlight_ = true;
    update();
}

void BitmapSlider::focusOutEvent(QFocusEvent*) {
    highlight_ = false;
    update();
}

QSize BitmapSlider::sizeHint() const {
    return channelLoaded_ ? QSize(width_, height_) : QWidget::sizeHint();
}

void BitmapSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Render for the device actually painted on: the screen, or an image of another pixel ratio.
    Render(PaintPixelRatio(p));
    if (channelLoaded_) {
        const QImage& channel = rendered_.channel;
        const QImage& active = rendered_.activeChannel;
        if (!active.isNull() && enabled_) {
            // The active channel covers the track from its start edge to the thumb centre.
            const int c = ThumbCentre();
            const QRect before = vertical_ ? QRect(0, 0, width_, c) : QRect(0, 0, c, height_);
            const QRect after =
                vertical_ ? QRect(0, c, width_, height_ - c) : QRect(c, 0, width_ - c, height_);
            const qreal dpr = rendered_.dpr;
            auto source = [dpr](const QRect& r) {
                return QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr);
            };
            p.drawImage(QRectF(before), active, source(before));
            p.drawImage(QRectF(after), channel, source(after));
        } else {
            p.drawImage(QPointF(0, 0), channel);
        }
    }
    if (thumbLoaded_ && enabled_) {
        const bool useActive = (dragging_ || highlight_) && !rendered_.activeThumb.isNull();
        const QImage& thumb = useActive ? rendered_.activeThumb : rendered_.thumb;
        const int c = ThumbCentre();
        const QPoint at =
            vertical_ ? QPoint(marginLeft_, c - thumbHeight_ / 2) : QPoint(c - thumbWidth_ / 2, marginTop_);
        p.drawImage(at, thumb);
    }
}

}  // namespace pavo
