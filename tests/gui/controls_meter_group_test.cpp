// Level meter segments and group box frames, checked on painted pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <set>

#include "controls/SLamp.h"
#include "controls/SxGroupBox.h"
#include "platform/Skin.h"
#include "platform/SystemColours.h"

namespace pavo {
namespace {

// A colour as a 32-bit image stores it (palette colours may carry finer channels).
QColor Stored(const QColor& c) {
    return QColor::fromRgb(c.rgb());
}

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class MeterTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(60, 200);
        meter = new SLamp(&host);
        meter->setGeometry(10, 10, 16, 176);  // rows 10 pixels apart, 6 left over at the top
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        meter->LayoutSegments();
        QApplication::processEvents();
    }
    // Lit segments read back from the painted meter: every segment's middle row is either its colour
    // or the meter background, and the gap above each row stays background.
    std::set<int> Lit() {
        QApplication::processEvents();
        const QImage img = meter->grab().toImage();
        std::set<int> lit;
        for (int i = 0; i < SLamp::kSegments; ++i) {
            const QRect r = meter->SegmentRect(i).intersected(meter->rect());
            if (r.isEmpty()) continue;
            const QColor c = img.pixelColor(8, r.center().y());
            if (c == ColorRef(meter->SegmentColour(i))) {
                lit.insert(i);
            } else {
                EXPECT_EQ(c, ColorRef(SLamp::kBackground)) << "segment " << i;
            }
            if (i < SLamp::kIndicator) {
                EXPECT_EQ(img.pixelColor(8, r.top() - 1), ColorRef(SLamp::kBackground));
            }
        }
        return lit;
    }
    static std::set<int> Range(int from, int to) {
        std::set<int> s;
        for (int i = from; i <= to; ++i) s.insert(i);
        return s;
    }
    QWidget host;
    SLamp* meter = nullptr;
};

TEST_F(MeterTest, SegmentsStackUpFromTheBottomInTheirColours) {
    struct Case {
        int segment;
        QRect rect;
        uint32_t colour;
    } cases[] = {
        {0, QRect(0, 172, 16, 4), 0x50B000},
        {15, QRect(0, 22, 16, 4), 0x50B000},
        {16, QRect(0, 12, 16, 4), 0x00FFFF},
        {17, QRect(0, 2, 16, 4), 0x00A5FF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(meter->SegmentRect(c.segment), c.rect) << c.segment;
        EXPECT_EQ(meter->SegmentColour(c.segment), c.colour) << c.segment;
    }
}

TEST_F(MeterTest, LevelLightsTheBar) {
    struct Case {
        int level;
        std::set<int> lit;
    } cases[] = {
        {0, {}},
        {109, {}},
        {110, {0}},
        {115, {0}},
        {116, {0, 1}},
        {150, Range(0, 6)},
        {194, Range(0, 14)},
        {199, Range(0, 14)},
        {200, Range(0, 16)},
        {255, Range(0, 16)},
        {120, {0, 1}},  // falling levels switch segments off again
        {-5, {}},
    };
    for (const Case& c : cases) {
        meter->SetLevel(c.level);
        EXPECT_EQ(Lit(), c.lit) << "level " << c.level;
    }
}

TEST_F(MeterTest, RepaintsOnlyWhenSomethingChanged) {
    PaintCounter counter;
    meter->installEventFilter(&counter);
    struct Step {
        const char* what;
        std::function<void()> run;
        int paints;
    } steps[] = {
        {"first level", [&] { meter->SetLevel(150); }, 1},
        {"same level again", [&] { meter->SetLevel(150); }, 0},
        {"level within the same segment", [&] { meter->SetLevel(151); }, 0},
        {"indicator on", [&] { meter->SetIndicator(199); }, 1},
        {"indicator still on", [&] { meter->SetIndicator(0); }, 0},
        {"indicator off", [&] { meter->SetIndicator(200); }, 1},
        {"all off", [&] { meter->AllOff(); }, 1},
    };
    for (const Step& s : steps) {
        QApplication::processEvents();
        counter.paints = 0;
        s.run();
        QApplication::processEvents();
        EXPECT_EQ(counter.paints, s.paints) << s.what;
    }
}

TEST_F(MeterTest, IndicatorIsSeparateFromTheBar) {
    meter->SetIndicator(199);
    EXPECT_EQ(Lit(), std::set<int>{17});
    meter->SetLevel(255);  // the bar does not touch the indicator
    std::set<int> all = Range(0, 17);
    EXPECT_EQ(Lit(), all);
    meter->SetIndicator(200);
    EXPECT_EQ(Lit(), Range(0, 16));
    meter->SetIndicator(0);
    meter->AllOff();
    EXPECT_EQ(Lit(), std::set<int>{});
}

// A group box on a page-coloured host; pixels are read from the host.
class GroupBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, PageBackground());
        host.setPalette(pal);
        host.setAutoFillBackground(true);
        host.resize(240, 120);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    QImage Grab() {
        QApplication::processEvents();
        return host.grab().toImage();
    }
    static int TopLine() { return QFontMetrics(QApplication::font()).height() / 2 - 1; }
    QWidget host;
};

TEST_F(GroupBoxTest, EnabledFrameIsEtchedInTheControlColourWithAWhiteTitle) {
    SxGroupBox box(QStringLiteral("Password"), &host);
    box.setGeometry(10, 10, 200, 90);
    box.show();
    const QImage img = Grab();
    const int y = 10 + TopLine();
    const QColor line = ColorRef(SxGroupBox::kLineColour);
    for (QPoint p : {QPoint(10, y + 20), QPoint(11, y + 20), QPoint(208, y + 20), QPoint(209, y + 20),
                     QPoint(100, 98), QPoint(100, 99), QPoint(12, y), QPoint(200, y)})
        EXPECT_EQ(img.pixelColor(p), line) << p.x() << "," << p.y();
    // The title interrupts the top line and is drawn in white.
    const int w = QFontMetrics(SxGroupBox::TitleFont()).horizontalAdvance("Password");
    int white = 0;
    for (int x = 18; x < 18 + w; ++x) {
        for (int dy = -6; dy <= 6; ++dy)
            if (img.pixelColor(x, y + dy) == QColor(Qt::white)) ++white;
    }
    EXPECT_GT(white, 10);
    EXPECT_NE(img.pixelColor(18 + w / 2, y), line);
}

TEST_F(GroupBoxTest, DisabledFrameUsesTheSystemColoursAndShowsNoTitle) {
    struct Case {
        Qt::Alignment alignment;
        int gapStart;  // in host coordinates
    };
    const int w = QFontMetrics(SxGroupBox::TitleFont()).horizontalAdvance("System");
    const Case cases[] = {
        {Qt::AlignLeft, 10 + 8},
        {Qt::AlignRight, 10 + 200 - 8 - w},
        {Qt::AlignHCenter, 10 + (200 - w) / 2},
    };
    for (const Case& c : cases) {
        SxGroupBox box(QStringLiteral("System"), &host, c.alignment);
        box.setGeometry(10, 10, 200, 90);
        box.setEnabled(false);
        box.show();
        const QImage img = Grab();
        const int y = 10 + TopLine();
        EXPECT_EQ(img.pixelColor(10, y + 20), Stored(ButtonShadowColour()));
        EXPECT_EQ(img.pixelColor(11, y + 20), Stored(ButtonHighlightColour()));
        EXPECT_EQ(img.pixelColor(100, 98), Stored(ButtonShadowColour()));
        EXPECT_EQ(img.pixelColor(100, 99), Stored(ButtonHighlightColour()));
        // The top line is open across the title's span and nothing is drawn there.
        EXPECT_EQ(img.pixelColor(c.gapStart - 1, y), Stored(ButtonShadowColour())) << c.alignment;
        EXPECT_EQ(img.pixelColor(c.gapStart + w, y), Stored(ButtonShadowColour())) << c.alignment;
        for (int x = c.gapStart; x < c.gapStart + w; ++x)
            for (int dy = -6; dy <= 6; ++dy) ASSERT_EQ(img.pixelColor(x, y + dy), PageBackground()) << x;
    }
}

TEST_F(GroupBoxTest, StaysBehindItsNeighboursAndLetsTheirClicksThrough) {
    QPushButton before(QStringLiteral("Before"), &host);
    before.setGeometry(20, 30, 60, 20);
    SxGroupBox box(QStringLiteral("Program"), &host);
    box.setGeometry(10, 10, 200, 90);
    QPushButton after(QStringLiteral("After"), &host);
    after.setGeometry(100, 30, 60, 20);
    for (QWidget* w : std::initializer_list<QWidget*>{&before, &box, &after}) w->show();
    EXPECT_EQ(host.childAt(30, 40), &before);
    EXPECT_EQ(host.childAt(110, 40), &after);
    EXPECT_EQ(host.childAt(50, 80), nullptr);  // inside the frame, no control: the page itself

    box.SetTitle(QStringLiteral("程序"), false);
    EXPECT_EQ(box.Title(), QStringLiteral("程序"));
    EXPECT_EQ(box.title(), QStringLiteral("程序"));
}

}  // namespace
}  // namespace pavo
