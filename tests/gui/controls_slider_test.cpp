// The bitmap slider: geometry on its bitmaps, the click step and drag with their notifications, keys,
// wheel, disabled behaviour and what it paints.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QWheelEvent>

#include "controls/BitmapSlider.h"
#include "controls_support.h"
#include "platform/ControlId.h"
#include "platform/KeyedBitmap.h"
#include "platform/Resources.h"
#include "platform/Timers.h"

namespace pavo {
namespace {

using test::Message;
using test::RecordingParent;

constexpr int kSliderId = 3731;

// A page slider (channel 142 with active 155, thumb 141) or an EQ gain slider (138, thumbs 137/139
// keyed by their top-left pixel), as the pages set them up.
struct SliderFixture {
    RecordingParent parent;
    BitmapSlider* slider;
    explicit SliderFixture(bool vertical = false, int min = 0, int max = 361) {
        parent.resize(400, 300);
        slider = new BitmapSlider(&parent);
        SetControlId(slider, kSliderId);
        slider->setGeometry(10, 10, 50, 50);  // the template's slot; the bitmaps set the size
        if (vertical) {
            EXPECT_TRUE(slider->LoadChannelBitmaps(138, 138, false));
            EXPECT_TRUE(slider->LoadThumbBitmaps(137, 139, true, kKeyFromPixel, 0, 0));
            slider->SetVertical(true);
            slider->SetMargins(12, 1, 0, 2);
        } else {
            EXPECT_TRUE(slider->LoadChannelBitmaps(142, 155, false));
            EXPECT_TRUE(slider->LoadThumbBitmaps(141, 141, false));
        }
        slider->SetRange(min, max);
        parent.show();
    }
    QPoint Point(int along) const {
        return slider->IsVertical() ? QPoint(slider->width() / 2, along)
                                    : QPoint(along, slider->height() / 2);
    }
    void Tick() { SendMessage(slider, WM_TIMER, BitmapSlider::kTrackingTimer, 0); }
    // The wheel acts on the focused slider only.
    void Focus() {
        parent.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&parent));
        slider->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(slider->hasFocus());
    }
    std::vector<Message> Take() { return parent.Take(); }
};

Message Tracking(LParam pos) {
    return {WM_SLIDER_TRACKING, kSliderId, pos};
}
Message Changed(LParam pos) {
    return {WM_SLIDER_CHANGED, kSliderId, pos};
}

TEST(BitmapSlider, TakesTheSizeOfItsBitmaps) {
    SliderFixture h, v(true, 0, 180);
    EXPECT_EQ(h.slider->geometry(), QRect(10, 10, 184, 19));
    EXPECT_EQ(v.slider->geometry(), QRect(10, 10, 38, 123));
    EXPECT_FALSE(h.slider->LoadChannelBitmaps(142, 9999, false));  // a missing active bitmap fails
    EXPECT_FALSE(h.slider->LoadThumbBitmaps(9998, 0, false));
    EXPECT_TRUE(h.slider->LoadThumbBitmaps(0));  // unloading always succeeds
}

TEST(BitmapSlider, GeometryMapsPositionsToThumbCentresAndBack) {
    struct Case {
        bool vertical;
        int min, max, pos, centre;
    } cases[] = {
        // 184-pixel channel, 11-pixel thumb: span 173.
        {false, 0, 361, 0, 5},
        {false, 0, 361, 361, 178},
        {false, 0, 361, 180, 5 + 173 * 180 / 361},
        {false, 0, 40, 20, 5 + 86},
        // 123-pixel channel, 21-pixel thumb, margins top 1 and bottom 2: span 99.
        {true, 0, 180, 0, 11},
        {true, 0, 180, 180, 110},
        {true, 60, 180, 120, 11 + 49},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vertical << " " << c.min << ".." << c.max << " @" << c.pos);
        SliderFixture f(c.vertical, c.min, c.max);
        EXPECT_EQ(f.slider->CentreOfPos(c.pos), c.centre);
        if (c.pos == c.min || c.pos == c.max) {
            EXPECT_EQ(f.slider->PosOfCentre(c.centre), c.pos);
        }
    }
}

TEST(BitmapSlider, SetPosClampsAndSetInvertedPosDoesNot) {
    SliderFixture f(true, 0, 180);
    struct Case {
        bool inverted;
        int value, pos, inv;
    } cases[] = {
        {false, 200, 180, 0}, {false, -5, 0, 180},   {false, 50, 50, 130},
        {true, 150, 30, 150}, {true, 200, -20, 200}, {true, -10, 190, -10},
    };
    for (const Case& c : cases) {
        if (c.inverted)
            f.slider->SetInvertedPos(c.value);
        else
            f.slider->SetPos(c.value);
        EXPECT_EQ(f.slider->GetPos(), c.pos) << c.value;
        EXPECT_EQ(f.slider->GetInvertedPos(), c.inv) << c.value;
    }
    f.slider->SetRange(60, 180);
    EXPECT_EQ(f.slider->GetPos(), 60);
    EXPECT_TRUE(f.Take().empty());  // none of these notifies
}

// Presses on the track: on the thumb a drag starts, beside it the position steps one unit towards the
// press whatever the distance, and every step reaches the parent exactly once.
TEST(BitmapSlider, ClickStepAndDragNotifications) {
    struct Case {
        const char* what;
        int start;
        int pressAt;  // along the track; -1 = the thumb centre
        int moveTo;   // -1 = no move
        bool tickBeforeRelease;
        int posAfter;
        std::vector<Message> beforeRelease;
        std::vector<Message> afterRelease;
    } cases[] = {
        {"step right, held", 100, 170, -1, true, 101, {Tracking(101)}, {}},
        {"step left, held", 100, 6, -1, true, 99, {Tracking(99)}, {}},
        {"step right, quick click", 100, 170, -1, false, 101, {}, {Tracking(101)}},
        {"step at max stays", 361, 6, -1, false, 360, {}, {Tracking(360)}},
        {"press on the thumb, no move", 100, -1, -1, true, 100, {}, {}},  // a click rewrites nothing
        {"drag to the far left", 100, -1, 0, true, 0, {Tracking(0)}, {Changed(0)}},
        {"drag to the far right", 100, -1, 183, true, 361, {Tracking(361)}, {Changed(361)}},
        {"drag, released before a tick", 100, -1, 0, false, 0, {}, {Changed(0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SliderFixture f;
        f.slider->SetPos(c.start);
        const int press = c.pressAt < 0 ? f.slider->ThumbCentre() + 2 : c.pressAt;
        QTest::mousePress(f.slider, Qt::LeftButton, {}, f.Point(press));
        EXPECT_TRUE(TimerActive(f.slider, BitmapSlider::kTrackingTimer));
        if (c.moveTo >= 0) {
            QMouseEvent move(QEvent::MouseMove, f.Point(c.moveTo), f.slider->mapToGlobal(f.Point(c.moveTo)),
                             Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(f.slider, &move);
        }
        if (c.tickBeforeRelease) {
            f.Tick();
            f.Tick();  // a second tick reports nothing new
        }
        EXPECT_EQ(f.Take(), c.beforeRelease);
        QTest::mouseRelease(f.slider, Qt::LeftButton, {}, f.Point(c.moveTo >= 0 ? c.moveTo : press));
        EXPECT_EQ(f.slider->GetPos(), c.posAfter);
        EXPECT_EQ(f.Take(), c.afterRelease);
        EXPECT_FALSE(TimerActive(f.slider, BitmapSlider::kTrackingTimer));
        EXPECT_FALSE(f.slider->IsDragging());
    }
}

TEST(BitmapSlider, TrackingTimerReportsAHeldClickStepOnItsOwn) {
    SliderFixture f;
    f.slider->SetPos(10);
    QTest::mousePress(f.slider, Qt::LeftButton, {}, f.Point(150));
    std::vector<Message> seen;
    QElapsedTimer t;
    t.start();
    while (seen.empty() && t.elapsed() < 5000) {
        QTest::qWait(10);
        seen = f.Take();
    }
    EXPECT_EQ(seen, std::vector<Message>{Tracking(11)});
    f.Tick();
    f.Tick();  // later ticks of the held click report nothing new
    QTest::mouseRelease(f.slider, Qt::LeftButton, {}, f.Point(150));
    EXPECT_TRUE(f.Take().empty());
}

TEST(BitmapSlider, KeysMoveByTheirRuleAndAlwaysReport) {
    struct Case {
        bool vertical;
        int start;
        Qt::Key key;
        int pos;
    } cases[] = {
        {false, 100, Qt::Key_Left, 100},  {false, 100, Qt::Key_Right, 100},    {false, 100, Qt::Key_Up, 101},
        {false, 100, Qt::Key_Down, 99},   {true, 100, Qt::Key_Up, 99},         {true, 100, Qt::Key_Down, 101},
        {false, 100, Qt::Key_PageUp, 80}, {false, 356, Qt::Key_PageDown, 361}, {false, 10, Qt::Key_PageUp, 0},
        {false, 100, Qt::Key_Home, 0},    {false, 100, Qt::Key_End, 361},      {true, 0, Qt::Key_Up, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vertical << " key " << c.key << " from " << c.start);
        SliderFixture f(c.vertical, 0, c.vertical ? 180 : 361);
        f.slider->SetPos(c.start);
        QTest::keyClick(f.slider, c.key);
        EXPECT_EQ(f.slider->GetPos(), c.pos);
        EXPECT_EQ(f.Take(), std::vector<Message>{Changed(c.pos)});
    }
    SliderFixture f;
    QTest::keyClick(f.slider, Qt::Key_A);
    EXPECT_TRUE(f.Take().empty());
}

TEST(BitmapSlider, WheelStepsOnFullNotches) {
    struct Case {
        bool vertical;
        std::vector<int> deltas;
        int pos;
        std::vector<Message> seen;
    } cases[] = {
        {false, {40, 40, 40}, 101, {Changed(101)}},
        {true, {40, 40, 40}, 99, {Changed(100), Changed(100), Changed(99)}},
        {false, {-120}, 99, {Changed(99)}},
        {true, {-120}, 101, {Changed(101)}},
        {false, {480}, 101, {Changed(101)}},  // the accumulator is clamped to one notch
        {false, {40, -40}, 100, {}},
    };
    for (const Case& c : cases) {
        SliderFixture f(c.vertical, 0, c.vertical ? 180 : 361);
        f.slider->SetPos(100);
        f.Focus();
        for (int d : c.deltas) test::Wheel(f.slider, d);
        EXPECT_EQ(f.slider->GetPos(), c.pos);
        EXPECT_EQ(f.Take(), c.seen);
    }
}

TEST(BitmapSlider, DisabledSliderIgnoresInputAndDisablingEndsADrag) {
    SliderFixture f;
    f.slider->SetPos(100);
    f.slider->EnableSlider(false);
    QTest::mousePress(f.slider, Qt::LeftButton, {}, f.Point(170));
    QTest::mouseRelease(f.slider, Qt::LeftButton, {}, f.Point(170));
    QTest::keyClick(f.slider, Qt::Key_End);
    f.Focus();
    test::Wheel(f.slider, 120);
    EXPECT_EQ(f.slider->GetPos(), 100);
    EXPECT_TRUE(f.Take().empty());

    f.slider->EnableSlider(true);
    QTest::mousePress(f.slider, Qt::LeftButton, {}, f.Point(f.slider->ThumbCentre()));
    ASSERT_TRUE(f.slider->IsDragging());
    f.slider->EnableSlider(false);
    EXPECT_FALSE(f.slider->IsDragging());
    EXPECT_FALSE(TimerActive(f.slider, BitmapSlider::kTrackingTimer));
    QMouseEvent move(QEvent::MouseMove, f.Point(0), f.slider->mapToGlobal(f.Point(0)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(f.slider, &move);
    QTest::mouseRelease(f.slider, Qt::LeftButton, {}, f.Point(0));
    EXPECT_EQ(f.slider->GetPos(), 100);
    EXPECT_TRUE(f.Take().empty());
}

// What a slider paints, compared pixel by pixel with the bitmaps it was given.
TEST(BitmapSlider, PaintsActiveChannelUpToTheThumbAndTheThumbAtItsCentre) {
    for (qreal dpr : {1.0, 2.0}) {
        SCOPED_TRACE(dpr);
        SliderFixture f;
        f.slider->SetPos(200);
        const QImage channel = LoadBitmapImage(142, dpr), active = LoadBitmapImage(155, dpr);
        const QImage thumb = LoadBitmapImage(141, dpr);
        auto px = [&](const QImage& img, int x, int y) { return img.pixel(x, y); };

        const int c = f.slider->ThumbCentre();
        const QImage shot = test::Grab(f.slider, dpr);
        const int s = static_cast<int>(dpr);
        const int y = 9 * s;
        EXPECT_EQ(px(shot, 2 * s, y), px(active, 2 * s, y));
        EXPECT_EQ(px(shot, (c - 8) * s, y), px(active, (c - 8) * s, y));
        EXPECT_EQ(px(shot, (c + 8) * s, y), px(channel, (c + 8) * s, y));
        EXPECT_EQ(px(shot, 180 * s, y), px(channel, 180 * s, y));
        for (int ty = 0; ty < thumb.height(); ++ty)
            for (int tx = 0; tx < thumb.width(); ++tx)
                ASSERT_EQ(px(shot, (c - 5) * s + tx, ty), px(thumb, tx, ty)) << tx << "," << ty;

        // Disabled: the whole normal channel and no thumb.
        f.slider->EnableSlider(false);
        const QImage off = test::Grab(f.slider, dpr);
        EXPECT_EQ(off.convertToFormat(QImage::Format_RGB32), channel.convertToFormat(QImage::Format_RGB32));
    }
}

TEST(BitmapSlider, KeyedThumbShowsTheChannelAroundItAndLightsUpWithTheHighlight) {
    SliderFixture f(true, 0, 180);
    f.slider->SetInvertedPos(120);
    const QImage channel = LoadBitmapImage(138), normal = LoadBitmapImage(137), active = LoadBitmapImage(139);
    const int top = f.slider->ThumbCentre() - 10, left = 12;
    auto shotAt = [&](int x, int y) { return test::Grab(f.slider).pixel(left + x, top + y); };

    // The thumb's top-left corner carries the key colour: the channel shows through.
    EXPECT_EQ(shotAt(0, 0), channel.pixel(left, top));
    EXPECT_EQ(shotAt(8, 10), normal.pixel(8, 10));
    f.slider->SetHighlight(true);
    EXPECT_EQ(shotAt(0, 0), channel.pixel(left, top));
    EXPECT_EQ(shotAt(8, 10), active.pixel(8, 10));
    EXPECT_NE(normal.pixel(8, 10), active.pixel(8, 10));
}

TEST(BitmapSlider, FocusDrivesTheHighlight) {
    SliderFixture f;
    f.parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.parent));
    QTest::mousePress(f.slider, Qt::LeftButton, {}, f.Point(f.slider->ThumbCentre()));
    QTest::mouseRelease(f.slider, Qt::LeftButton, {}, f.Point(f.slider->ThumbCentre()));
    EXPECT_TRUE(f.slider->hasFocus());
    EXPECT_TRUE(f.slider->IsHighlighted());
    f.slider->clearFocus();
    EXPECT_FALSE(f.slider->IsHighlighted());
}

TEST(KeyedBitmap, KeyColourPixelsBecomeTransparent) {
    QImage img(4, 2, QImage::Format_ARGB32);
    img.fill(qRgb(255, 0, 255));
    img.setPixel(1, 0, qRgb(10, 20, 30));
    img.setPixel(2, 1, qRgb(254, 1, 255));  // within rendering tolerance of the key
    img.setPixel(3, 1, qRgb(0, 0, 0));
    struct Case {
        uint32_t key;
        int kx, ky;
        std::vector<bool> transparent;  // row by row
    } cases[] = {
        {kKeyFromPixel, 0, 0, {true, false, true, true, true, true, true, false}},
        {kKeyFromPixel, 1, 0, {false, true, false, false, false, false, false, false}},
        {0x1E140A, 0, 0, {false, true, false, false, false, false, false, false}},  // 0x00BBGGRR
        {0x000000, 0, 0, {false, false, false, false, false, false, false, true}},
    };
    for (const Case& c : cases) {
        const QImage out = KeyOut(img, 1.0, c.key, c.kx, c.ky);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(qAlpha(out.pixel(i % 4, i / 4)) == 0, c.transparent[i])
                << std::hex << c.key << " " << i;
    }
    // At a pixel ratio of 2 the key pixel is given in unscaled coordinates.
    QImage big = img.scaled(8, 4);
    big.setDevicePixelRatio(2);
    EXPECT_EQ(qAlpha(KeyOut(big, 2.0, kKeyFromPixel, 1, 0).pixel(2, 0)), 0);
    EXPECT_EQ(qAlpha(KeyOut(big, 2.0, kKeyFromPixel, 1, 0).pixel(0, 0)), 255);
}

}  // namespace
}  // namespace pavo
