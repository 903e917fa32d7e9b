// Value labels, transparent labels and font labels: texts per display kind, clamping, colours and
// alignment as painted.
#include <gtest/gtest.h>

#include <QTest>

#include "controls/Edit_Static.h"
#include "controls/FontStatic.h"
#include "controls/TransparentStatic.h"
#include "controls_support.h"
#include "platform/ControlId.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

using test::HasColour;

struct LabelSetup {
    int kind;
    int min, max;
    int intScale = 1, intOffset = 0;
    double realScale = 0, realOffset = 0;
    const char* unit = "";
};

TEST(Edit_Static, ShowsEachKindsText) {
    struct Case {
        LabelSetup setup;
        int code;
        const char* text;
        int stored;
    } cases[] = {
        // Noise gate threshold: "OFF" at the minimum, without its unit.
        {{Edit_Static::OffOrInteger, 0, 60, 1, 78, 0, 0, "dBV"}, 0, "OFF", 0},
        {{Edit_Static::OffOrInteger, 0, 60, 1, 78, 0, 0, "dBV"}, 60, "-18dBV", 60},
        {{Edit_Static::OffOrInteger, 0, 60, 1, 78, 0, 0, "dBV"}, 75, "-18dBV", 60},
        {{Edit_Static::OffOrInteger, 0, 60, 1, 78, 0, 0, "dBV"}, 1, "-77dBV", 1},
        {{Edit_Static::Integer, 0, 14, 1, 7}, 0, "-7", 0},
        {{Edit_Static::Integer, 0, 14, 1, 7}, 7, "0", 7},
        {{Edit_Static::Integer, 0, 14, 1, 7}, 14, "7", 14},
        {{Edit_Static::Integer, 0, 14, 1, 7}, -3, "-7", 0},
        {{Edit_Static::Integer, 0, 250, 2, 0, 0, 0, "ms"}, 250, "500ms", 250},
        {{Edit_Static::Attack, 0, 19, 1, 0, 0, 0, "ms"}, 19, "400ms", 19},
        {{Edit_Static::Attack, 0, 19, 1, 0, 0, 0, "ms"}, 7, "5.7ms", 7},
        {{Edit_Static::Release, 0, 7}, 0, "Atk X2", 0},
        {{Edit_Static::Ratio, 0, 40}, 27, "12", 27},
        {{Edit_Static::Ratio, 0, 40}, 40, "100", 40},
        {{Edit_Static::Ratio, 0, 40}, 41, "100", 40},
        {{Edit_Static::Real, 0, 40, 1, 0, 0.5, 10, "dB"}, 21, "0.5dB", 21},
        {{Edit_Static::Real, 0, 40, 1, 0, 0.5, 10, "dB"}, 0, "-10.0dB", 0},
        {{Edit_Static::Real, 0, 1500, 1, 0, 0.1, 0, "ms"}, 1500, "150.0ms", 1500},
        {{Edit_Static::Distance, 0, 1500}, 100, "3.400m", 100},
        {{Edit_Static::Distance, 0, 1500}, 1500, "51.000m", 1500},
        {{Edit_Static::Distance, 0, 1500}, 105, "3.570m", 105},
    };
    QWidget page;
    for (const Case& c : cases) {
        Edit_Static label(&page);
        const LabelSetup& s = c.setup;
        label.SetIntScale(s.intScale, s.intOffset, QString::fromUtf8(s.unit));
        if (s.realScale != 0) label.SetRealScale(s.realScale, s.realOffset, QString::fromUtf8(s.unit));
        label.SetRange(s.min, s.max);
        label.SetDisplayKind(s.kind);
        label.SetValue(c.code);
        EXPECT_EQ(label.text().toStdString(), c.text) << "kind " << s.kind << " code " << c.code;
        EXPECT_EQ(label.Value(), c.stored);
    }
    DeliverPostedMessages();  // the labels' redraw messages find them gone
}

// A page with the dark background and a label on it, grabbed as the user sees it.
struct LabelPage : QWidget {
    LabelPage() {
        resize(200, 60);
        QPalette pal;
        pal.setColor(QPalette::Window, PageBackground());
        setPalette(pal);
        setAutoFillBackground(true);
    }
    QImage Shot() { return test::Grab(this); }
};

TEST(Edit_Static, PaintsTransparentlyInItsEnabledOrDisabledColour) {
    LabelPage page;
    auto* label = new Edit_Static(&page);
    label->setGeometry(10, 10, 120, 30);
    label->SetRange(0, 84);
    label->SetValue(84);
    label->SetTextColours(kWhite, kRed);
    page.show();
    const QRect area = label->geometry();
    QImage shot = page.Shot();
    EXPECT_TRUE(HasColour(shot, qRgb(255, 255, 255), area));
    EXPECT_TRUE(HasColour(shot, PageBackground().rgb(), area));  // no background of its own
    EXPECT_FALSE(HasColour(shot, qRgb(255, 0, 0), area));
    label->setEnabled(false);
    shot = page.Shot();
    EXPECT_TRUE(HasColour(shot, qRgb(255, 0, 0), area));
    EXPECT_FALSE(HasColour(shot, qRgb(255, 255, 255), area));
}

TEST(CTransparentStatic, PaintsWhiteTextOnThePage) {
    LabelPage page;
    auto* label = new CTransparentStatic(QStringLiteral("Noise Gate"), &page);
    label->setGeometry(10, 10, 150, 30);
    page.show();
    const QImage shot = page.Shot();
    EXPECT_TRUE(HasColour(shot, qRgb(255, 255, 255), label->geometry()));
    EXPECT_TRUE(HasColour(shot, PageBackground().rgb(), label->geometry()));
}

// The columns between which a colour appears in an image.
std::pair<int, int> ColumnsOf(const QImage& img, QRgb rgb) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if ((img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST(FontStatic, AlignsFillsAndColoursItsText) {
    struct Case {
        bool left, right;
        const char* where;
    } cases[] = {{true, false, "left"}, {false, true, "right"}, {false, false, "centre"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        FontStatic label;
        label.resize(200, 24);
        label.SetText(QStringLiteral("HMH"));
        label.SetFill(true, kControlBackground);
        label.SetTextColour(kRed);
        label.SetLeftAligned(c.left);
        label.SetRightAligned(c.right);
        const QImage shot = test::Grab(&label);
        EXPECT_EQ(shot.pixel(0, 0) & 0xFFFFFF, qRgb(36, 45, 46) & 0xFFFFFF);  // the fill
        const auto [first, last] = ColumnsOf(shot, qRgb(255, 0, 0));
        ASSERT_GE(first, 0);
        const int middle = (first + last) / 2;
        if (c.left) {
            EXPECT_LT(first, 15);
        }
        if (c.right) {
            EXPECT_GT(last, 185);
        }
        if (!c.left && !c.right) {
            EXPECT_NEAR(middle, 100, 6);
        }
    }
}

TEST(FontStatic, RepaintsOnlyWhenTheColourChanges) {
    LabelPage page;
    auto* label = new FontStatic(&page);
    label->setGeometry(10, 10, 40, 20);
    label->SetText(QStringLiteral("3"));
    page.show();
    test::FlushPaints();
    test::PaintCounter counter(label);
    label->SetTextColour(0x000000);  // the default: nothing to do
    test::FlushPaints();
    EXPECT_EQ(counter.paints, 0);
    label->SetTextColour(kRed);
    test::FlushPaints();
    EXPECT_EQ(counter.paints, 1);
    EXPECT_EQ(label->TextColour(), kRed);
}

TEST(FontStatic, FontLineHeightIsTheAskedHeight) {
    for (int height : {12, 14, 16, 20}) {
        const QFontMetrics fm(FontStatic::FontOfHeight(height));
        EXPECT_LE(fm.height(), height);
        EXPECT_GE(fm.height(), height - 2);
    }
}

TEST(FontStatic, PressNotifiesTheParent) {
    test::RecordingParent page;
    auto* label = new FontStatic(&page);
    SetControlId(label, 3830);
    label->setGeometry(0, 0, 50, 20);
    page.show();
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(page.Take(), (std::vector<test::Message>{{WM_COMMAND, MakeCommand(3830, 0), 0}}));
}

}  // namespace
}  // namespace pavo
