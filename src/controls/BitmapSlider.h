#pragma once
// The slider of every page and of the main window: drawn entirely from bitmaps (a channel, an
// optional active channel over the part before the thumb, a thumb with an optional active look).
// It follows the mouse, the keys and (while it has the focus) the wheel, and tells its parent with two
// posted messages: WM_SLIDER_TRACKING (wParam control id, lParam position) at most once per 50 ms tick
// while a drag or a click step changed the position (a click step released before the first tick is
// reported at the release, so every step reaches the parent once), and WM_SLIDER_CHANGED after a
// drag, a navigation key or a wheel step.
#include <QImage>
#include <QWidget>
#include <cstdint>

#include "platform/KeyedBitmap.h"
#include "platform/WinMessage.h"

namespace pavo {

class BitmapSlider : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int kTrackingTimer = 5;
    static constexpr int kTrackingPeriodMs = 50;

    explicit BitmapSlider(QWidget* parent = nullptr);

    // Bitmap id 0 unloads. The key colour (or kKeyFromPixel with the key pixel) applies when
    // `transparent` is set. The control takes the channel's size; false when a bitmap is missing.
    bool LoadChannelBitmaps(int channelId, int activeId = 0, bool transparent = false,
                            uint32_t keyColour = kKeyFromPixel, int keyX = 0, int keyY = 0);
    bool LoadThumbBitmaps(int thumbId, int activeId = 0, bool transparent = false,
                          uint32_t keyColour = kKeyFromPixel, int keyX = 0, int keyY = 0);

    // None of these notifies the parent.
    void SetRange(int min, int max, bool redraw = false);  // also moves the position to min
    void SetPos(int pos);                                  // clamped to the range
    int GetPos() const { return pos_; }
    // For sliders whose top end means the maximum: the stored position grows downwards.
    void SetInvertedPos(int value);  // not clamped
    int GetInvertedPos() const { return max_ + min_ - pos_; }
    int GetRangeMin() const { return min_; }
    int GetRangeMax() const { return max_; }
    void SetPageSize(int size) { pageSize_ = size; }
    void SetMargins(int left, int top, int right, int bottom);
    void SetVertical(bool vertical);
    bool IsVertical() const { return vertical_; }
    void EnableSlider(bool enable);  // disabling ends a drag
    bool IsSliderEnabled() const { return enabled_; }
    void SetHighlight(bool highlight);
    bool IsHighlighted() const { return highlight_; }
    bool IsDragging() const { return dragging_; }

    // Geometry along the track, in pixels of the control.
    int CentreOfPos(int pos) const;
    int PosOfCentre(int centre) const;
    int ThumbCentre() const { return CentreOfPos(pos_); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

private:
    struct BitmapSource {
        int id = 0;
        int activeId = 0;
        bool transparent = false;
        uint32_t key = kKeyFromPixel;
        int keyX = 0;
        int keyY = 0;
    };
    // The rendered bitmaps, for one device pixel ratio.
    struct Rendered {
        qreal dpr = 0;
        QImage channel, activeChannel, thumb, activeThumb;
    };

    void Render(qreal dpr) const;
    QImage RenderOne(int id, bool transparent, const BitmapSource& source) const;
    int TrackLength() const { return vertical_ ? height_ : width_; }
    int ThumbLength() const { return vertical_ ? thumbHeight_ : thumbWidth_; }
    int MarginStart() const { return vertical_ ? marginTop_ : marginLeft_; }
    int MarginEnd() const { return vertical_ ? marginBottom_ : marginRight_; }
    int Along(const QPointF& p) const;
    int ClampTarget(int target) const;
    void Notify(unsigned message);
    void EndDrag();
    void FinishDrag();  // the drag's end by the user: reports a changed position

    int min_ = 0, max_ = 100, pos_ = 0, pageSize_ = 20;
    int width_ = 0, height_ = 0, thumbWidth_ = 0, thumbHeight_ = 0;
    int marginLeft_ = 0, marginTop_ = 0, marginRight_ = 0, marginBottom_ = 0;
    int mouseOffset_ = 0;
    bool pending_ = false;
    bool vertical_ = false;
    bool channelLoaded_ = false, thumbLoaded_ = false;
    bool dragging_ = false, highlight_ = false, enabled_ = true;
    bool moved_ = false;  // the position changed since the press
    int16_t wheelAccumulator_ = 0;
    BitmapSource channelSource_, thumbSource_;
    mutable Rendered rendered_;
};

}  // namespace pavo
