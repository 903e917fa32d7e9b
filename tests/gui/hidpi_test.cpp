// At a device pixel ratio of 2 (QT_SCALE_FACTOR=2; these tests run in a pass of their own with it)
// the skin is drawn from its artwork rendered for that ratio, not from the 1x pictures scaled up: the
// main window's controls, the system page and the response graph.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>

#include "app/PavoDlg.h"
#include "app_support.h"
#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"  // the combo header needs the list complete
#include "controls/BitmapSlider.h"
#include "graph_support.h"
#include "pages/SysDlg.h"
#include "platform/ControlId.h"
#include "platform/Resources.h"

namespace pavo {
namespace {

constexpr qreal kRatio = 2.0;

bool AtRatioTwo() {
    const bool two = qApp->devicePixelRatio() == kRatio;
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == "2") {
        EXPECT_TRUE(two);
    }
    return two;
}

// How a grabbed picture (device pixels, ratio 2) shows a bitmap drawn unscaled with its top-left at
// `at` (logical): the mean channel difference to the bitmap rendered at ratio 2, and to the 1x
// rendering scaled up (a blurred skin). Only opaque bitmap pixels count, inside `area` (logical,
// relative to the bitmap; all of it when empty) and outside `covered` (logical, of the grab).
struct Match {
    double native = 0, upscaled = 0;
    int pixels = 0;
};

Match CompareBitmap(const QImage& grab, QPoint at, int id, QRect area = {},
                    const QList<QRect>& covered = {}) {
    const QImage sharp = LoadBitmapImage(id, kRatio).convertToFormat(QImage::Format_ARGB32);
    const QImage blurred = LoadBitmapImage(id, 1.0)
                               .scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_ARGB32);
    if (area.isEmpty()) area = QRect(QPoint(), BitmapSize(id));
    Match m;
    double native = 0, upscaled = 0;
    for (int y = 0; y < sharp.height(); ++y) {
        for (int x = 0; x < sharp.width(); ++x) {
            const QPoint logical(static_cast<int>(x / kRatio), static_cast<int>(y / kRatio));
            if (!area.contains(logical)) continue;
            bool hidden = false;
            for (const QRect& r : covered) hidden |= r.contains(logical + at);
            const int gx = static_cast<int>(at.x() * kRatio) + x, gy = static_cast<int>(at.y() * kRatio) + y;
            if (hidden || gx >= grab.width() || gy >= grab.height()) continue;
            const QRgb s = sharp.pixel(x, y), b = blurred.pixel(x, y), g = grab.pixel(gx, gy);
            if (qAlpha(s) != 255 || qAlpha(b) != 255) continue;
            auto diff = [](QRgb p, QRgb q) {
                return (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                        std::abs(qBlue(p) - qBlue(q))) /
                       3.0;
            };
            native += diff(g, s);
            upscaled += diff(g, b);
            ++m.pixels;
        }
    }
    if (m.pixels > 0) {
        m.native = native / m.pixels;
        m.upscaled = upscaled / m.pixels;
    }
    return m;
}

void ExpectSharp(const Match& m, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_GT(m.pixels, 300);
    EXPECT_LT(m.native, 0.5);               // the artwork as rendered for ratio 2
    EXPECT_GT(m.upscaled, m.native + 1.0);  // and visibly not the 1x picture scaled up
}

// On a screen of ratio 2 the window's own picture; on a 1x screen a picture rendered at ratio 2, as
// the galleries take them (the controls must draw for the device they paint on, not their screen).
QImage GrabAtRatio(QWidget& w) {
    test::WaitUntil([] { return false; }, 100);
    if (!AtRatioTwo()) return test::Grab(&w, kRatio);
    const QPixmap shot = w.grab();
    EXPECT_EQ(shot.devicePixelRatio(), kRatio);
    return shot.toImage().convertToFormat(QImage::Format_ARGB32);
}

QPoint PosIn(QWidget* child, QWidget* top) {
    return child->mapTo(top, QPoint(0, 0));
}

TEST(HiDpi, MainWindowAndSystemPageDrawTheSkinForTheRatio) {
    test::AppState state;
    StartOptions o;
    o.connectAtStart = false;
    PavoDlg w(o);
    w.show();
    const QImage shot = GrabAtRatio(w);

    // The master strip: a mute button's face, the level slider's thumb.
    BitButton& mute = w.muteButton(0);
    ExpectSharp(CompareBitmap(shot, PosIn(&mute, &w), 172), "mute button");
    BitmapSlider& slider = w.masterSlider(0);
    const QPoint thumbAt(slider.ThumbCentre() - BitmapSize(133).width() / 2, 0);
    ExpectSharp(CompareBitmap(shot, PosIn(&slider, &w) + thumbAt, 133), "master slider thumb");

    // The system page: the meter panel around its meters, a command button's face beside its caption,
    // a combo box's arrow.
    auto* page = static_cast<SysDlg*>(w.SystemPage());
    ASSERT_TRUE(page->isVisible());
    QList<QRect> children;
    for (QWidget* c : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisible()) children.push_back(QRect(PosIn(c, &w), c->size()));
    const QPoint panelAt = PosIn(page, &w) + QPoint(5, 6);
    ExpectSharp(CompareBitmap(shot, panelAt, SysDlg::kMeterPanelBitmapEnglish, {}, children), "meter panel");

    auto* recall = DialogItemAs<BitButton>(page, SysDlg::IDC_RECALL);
    ASSERT_NE(recall, nullptr);
    ExpectSharp(CompareBitmap(shot, PosIn(recall, &w), 175, QRect(0, 0, 24, recall->height())),
                "command button");

    auto* combo = DialogItemAs<BitComboBox>(page, SysDlg::IDC_PHANTOM);
    ASSERT_NE(combo, nullptr);
    ExpectSharp(
        CompareBitmap(shot, PosIn(combo, &w) + QPoint(combo->width() - BitmapSize(202).width(), 0), 202),
        "combo arrow");
}

// The window has one logical size at every ratio (this runs in both passes): the dialog's, also on a
// 2560 x 1440 screen at scale 2, whose 1280 x 720 logical pixels hold it.
TEST(HiDpi, WindowHasTheSameLogicalSizeAtEveryRatio) {
    test::AppState state;
    StartOptions o;
    o.connectAtStart = false;
    PavoDlg w(o);
    EXPECT_EQ(w.size(), QSize(1265, 653));
    w.AdaptToScreen({1280, 720});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.size(), QSize(1265, 653));
    EXPECT_EQ(w.canvas().size(), w.size());
}

// The graph draws its plot for the ratio: a grid line is two device columns of the grid colour
// between black ones (a 1x plot scaled up smoothly would smear it), and the anti-aliased curve has
// detail finer than a 1x pixel (a 1x plot scaled up without smoothing would show only 2x2 blocks).
TEST(HiDpi, GraphDrawsItsPlotForTheRatio) {
    Unit unit(false);
    test::GraphWindow g(unit, BlockMusicLeft, 0);
    test::ShapeTypicalEq(g.Set());
    g.graph->SelectBand(-1, false);
    const QImage shot = GrabAtRatio(*g.graph);
    EXPECT_EQ(g.graph->PlotImage().devicePixelRatio(), kRatio);

    const QColor grid(21, 100, 21);
    const int x = g.graph->GridLineX()[19];  // 2 kHz
    const PlotRect& plot = g.graph->PlotRectangle();
    int crispRows = 0, rows = 0;
    for (int y = plot.top + 5; y < plot.bottom - 5; y += 7) {
        const int dy = static_cast<int>(y * kRatio) + 1;
        const int dx = static_cast<int>(x * kRatio);
        ++rows;
        crispRows += test::Near(shot.pixel(dx, dy), grid, 0) && test::Near(shot.pixel(dx + 1, dy), grid, 0) &&
                     test::Near(shot.pixel(dx - 1, dy), Qt::black, 0) &&
                     test::Near(shot.pixel(dx + 2, dy), Qt::black, 0);
    }
    EXPECT_GT(crispRows, rows * 2 / 3);  // the curve, a label or a horizontal line cross the rest

    int mixedBlocks = 0;
    for (int y = static_cast<int>(plot.top * kRatio); y + 1 < static_cast<int>(plot.bottom * kRatio); y += 2)
        for (int x2 = static_cast<int>(plot.left * kRatio); x2 + 1 < static_cast<int>(plot.right * kRatio);
             x2 += 2) {
            const QRgb a = shot.pixel(x2, y);
            mixedBlocks +=
                a != shot.pixel(x2 + 1, y) || a != shot.pixel(x2, y + 1) || a != shot.pixel(x2 + 1, y + 1);
        }
    EXPECT_GT(mixedBlocks, 200);
}

}  // namespace
}  // namespace pavo
