// Page tab control: the painted colours of tabs, gradients, borders and the strips around the row,
// the ellipsis, drawing modes and options, and the selection notification.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <vector>

#include "controls/EnTabCtrl.h"
#include "platform/ControlId.h"
#include "platform/DialogTemplate.h"
#include "platform/Notify.h"
#include "platform/Skin.h"
#include "platform/SystemColours.h"

namespace pavo {
namespace {

struct MainWindow : QWidget, MessageTarget {
    std::vector<NotifyHeader> notes;
    LResult WindowProc(unsigned m, WParam w, LParam l) override {
        if (m == WM_NOTIFY) notes.push_back(*reinterpret_cast<const NotifyHeader*>(l));
        return MessageTarget::WindowProc(m, w, l);
    }
};

// The main window's configuration: all options, white background, self-drawn; tab 1 selected.
class TabTest : public ::testing::Test {
protected:
    void SetUp() override {
        BaseTabCtrl::SetTabOptions(1, BaseTabCtrl::AllOptions);
        window.resize(420, 140);
        tabs = new EnTabCtrl(&window);
        SetControlId(tabs, 1028);
        QFont f = TemplateFont();
        f.setStyleStrategy(QFont::NoAntialias);  // glyph pixels in the text colour exactly
        tabs->setFont(f);
        tabs->setGeometry(10, 10, 400, 120);
        tabs->SetBackgroundColour(0xFFFFFF);
        EXPECT_EQ(tabs->SetDrawingMode(2), 1);
        for (const char* name : {"Music", "Microphone", "System"})
            tabs->InsertItem(tabs->GetItemCount(), name);
        tabs->SetCurSel(1);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QImage Grab() {
        QApplication::processEvents();
        return tabs->grab().toImage();
    }
    static int CountColour(const QImage& img, const QRect& r, const QColor& c) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (img.pixelColor(x, y) == c) ++n;
        return n;
    }
    MainWindow window;
    EnTabCtrl* tabs = nullptr;
};

TEST(TabColours, DarkenAndLightenPerChannel) {
    struct Case {
        uint32_t colour;
        float factor;
        bool lighten;
        uint32_t expected;
    } cases[] = {
        {0x605C56, 1.9f, true, 0xB6AEA3},   {0x423E38, 1.9f, true, 0x7D756A},
        {0xFFFFFF, 0.1f, false, 0x191919},  {0xFFFFFF, 0.7f, false, 0xB2B2B2},
        {0x7D756A, 1.5f, true, 0xBBAF9F},   {0x7D756A, 0.75f, false, 0x5D574F},
        {0xB6AEA3, 1.5f, true, 0xFFFFF4},  // channels past 254 give 255
        {0xB6AEA3, 0.75f, false, 0x88827A},
    };
    for (const Case& c : cases) {
        const uint32_t got =
            c.lighten ? EnTabCtrl::Lighten(c.colour, c.factor) : EnTabCtrl::Darken(c.colour, c.factor);
        EXPECT_EQ(got, c.expected) << std::hex << c.colour << " x " << c.factor;
    }
}

TEST_F(TabTest, TabsRunTheirGradientsAndCarryTheirTextColours) {
    const QImage img = Grab();
    const QColor face = QColor::fromRgb(ButtonFaceColour().rgb());
    struct Case {
        int index;
        bool selected;
        uint32_t top;
        QColor target;
        uint32_t text;
    } cases[] = {
        {1, true, 0xB6AEA3, face, 0x0000FF},
        {0, false, 0x7D756A, ColorRef(0xB2B2B2), 0x191919},
        {2, false, 0x7D756A, ColorRef(0xB2B2B2), 0x191919},
    };
    for (const Case& c : cases) {
        const QRect fill = tabs->FillRect(c.index);
        const int x = fill.x() + 2;  // inside the lit left column, left of the centred text
        // The first band is the tab colour (its top row is the border); the last band is the last step
        // of the integer gradient towards the target.
        EXPECT_EQ(img.pixelColor(x, fill.y() + 1), ColorRef(c.top)) << c.index;
        const int h = fill.height(), e = (h - 1) / 2 * 2;
        const QColor top = ColorRef(c.top);
        const QColor last(top.red() + e * (c.target.red() - top.red()) / h,
                          top.green() + e * (c.target.green() - top.green()) / h,
                          top.blue() + e * (c.target.blue() - top.blue()) / h);
        EXPECT_EQ(img.pixelColor(x, fill.y() + e), last) << c.index;
        EXPECT_NEAR(last.red(), c.target.red(), 16);
        // Caption in its colour, and none of the other tab's caption colour.
        const QRect textBox = EnTabCtrl::TextRect(fill, c.selected);
        EXPECT_GT(CountColour(img, textBox, ColorRef(c.text)), 20) << c.index;
        EXPECT_EQ(CountColour(img, textBox, ColorRef(c.selected ? 0x191919 : 0x0000FF)), 0) << c.index;
        // Lit left column and top row, dark right column.
        const uint32_t tab = c.top;
        EXPECT_EQ(img.pixelColor(fill.x(), fill.y() + 5), ColorRef(EnTabCtrl::Lighten(tab, 1.5f))) << c.index;
        EXPECT_EQ(img.pixelColor(fill.center().x(), fill.y()), ColorRef(EnTabCtrl::Lighten(tab, 1.5f)))
            << c.index;
        EXPECT_EQ(img.pixelColor(fill.right(), fill.y() + 5), ColorRef(EnTabCtrl::Darken(tab, 0.75f)))
            << c.index;
    }
    // The selected tab stands 2 pixels above the others.
    EXPECT_EQ(tabs->FillRect(1).top() + 2, tabs->FillRect(0).top());
}

TEST_F(TabTest, MainBorderAndTheDarkStripsAroundTheRow) {
    const QImage img = Grab();
    const int w = tabs->width(), h = tabs->height();
    const int borderTop = tabs->DisplayRect().top() - 2;
    const QColor light = ColorRef(0xBBAF9F), dark = ColorRef(0x5D574F), strip = ColorRef(0x423E38);
    struct Case {
        QPoint at;
        QColor colour;
    } cases[] = {
        {{0, borderTop + 10}, light},
        {{w - 1, borderTop + 10}, dark},
        {{w / 2, h - 1}, dark},
        {{w - 30, borderTop}, light},
        {{w - 2, 1}, strip},
        {{0, 1}, strip},
        {{1, borderTop - 2}, strip},
        {{w - 5, borderTop - 2}, strip},
        {{w / 2, h / 2}, QColor::fromRgb(ButtonFaceColour().rgb())},
    };
    for (const Case& c : cases) EXPECT_EQ(img.pixelColor(c.at), c.colour) << c.at.x() << "," << c.at.y();

    // Without tabs only the main border is drawn on the standard background.
    tabs->DeleteAllItems();
    const QImage bare = Grab();
    EXPECT_EQ(bare.pixelColor(w - 2, 1), QColor::fromRgb(ButtonFaceColour().rgb()));
    EXPECT_EQ(bare.pixelColor(0, borderTop + 10), light);
}

TEST_F(TabTest, LongTextsEndInAnEllipsis) {
    const QFontMetrics fm(tabs->font());
    const QString ellipsis = QString(QChar(0x2026));
    EXPECT_EQ(EnTabCtrl::FitText("System", fm, 200), "System");
    const QString cut = EnTabCtrl::FitText("Microphone 1&2 settings", fm, 60);
    EXPECT_TRUE(cut.endsWith(ellipsis)) << cut.toStdString();
    EXPECT_LE(fm.horizontalAdvance(cut), 60);
    EXPECT_EQ(EnTabCtrl::FitText(QString(150, QChar('i')), fm, 10000).size(), 99);

    // A narrow control shrinks its tabs; their captions stay inside them.
    tabs->SetItemText(1, "Microphone 1&2 settings");
    tabs->resize(150, 120);
    const QImage img = Grab();
    const QRect selected = tabs->FillRect(1);
    const QColor red = ColorRef(0x0000FF);
    EXPECT_GT(CountColour(img, selected, red), 20);
    EXPECT_EQ(CountColour(img, img.rect(), red), CountColour(img, selected, red));
    EXPECT_LE(tabs->GetItemRect(2).right(), 150 - 2);
}

TEST_F(TabTest, DrawingModeAndOptions) {
    struct Case {
        int mode;
        int result;
        int stored;
        bool ownerDraw;
    } cases[] = {
        {-1, 0, 2, true}, {3, 0, 2, true}, {0, 1, 0, false},
        {7, 0, 0, false}, {1, 1, 1, true}, {2, 1, 2, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tabs->SetDrawingMode(c.mode), c.result) << c.mode;
        EXPECT_EQ(tabs->DrawingMode(), c.stored) << c.mode;
        EXPECT_EQ(tabs->IsOwnerDrawFixed(), c.ownerDraw) << c.mode;
    }

    BaseTabCtrl::SetTabOptions(0, BaseTabCtrl::AllOptions);
    EXPECT_EQ(BaseTabCtrl::TabOptions(), 0u);
    EXPECT_FALSE(EnTabCtrl().IsOwnerDrawFixed());
    BaseTabCtrl::SetTabOptions(1, BaseTabCtrl::OptionFlat);
    EXPECT_EQ(BaseTabCtrl::TabOptions(), unsigned(BaseTabCtrl::OptionFlat));
    EXPECT_TRUE(EnTabCtrl().IsOwnerDrawFixed());
    BaseTabCtrl::SetTabOptions(1, BaseTabCtrl::AllOptions);
}

TEST_F(TabTest, UserSelectionNotifiesTheParentAndProgramSelectionDoesNot) {
    int signalled = -1;
    QObject::connect(tabs, &BaseTabCtrl::selectionChanged, [&](int i) { signalled = i; });
    struct Step {
        const char* what;
        std::function<void()> run;
        int selection;
        int notes;
    } steps[] = {
        {"click on tab 2",
         [&] { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->GetItemRect(2).center()); }, 2, 1},
        {"click on the selected tab",
         [&] { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->GetItemRect(2).center()); }, 2, 0},
        {"click below the tabs", [&] { QTest::mouseClick(tabs, Qt::LeftButton, {}, QPoint(200, 80)); }, 2, 0},
        {"left arrow", [&] { QTest::keyClick(tabs, Qt::Key_Left); }, 1, 1},
        {"selection by the program", [&] { tabs->SetCurSel(0); }, 0, 0},
    };
    for (const Step& s : steps) {
        window.notes.clear();
        signalled = -1;
        s.run();
        EXPECT_EQ(tabs->GetCurSel(), s.selection) << s.what;
        ASSERT_EQ(static_cast<int>(window.notes.size()), s.notes) << s.what;
        if (s.notes) {
            EXPECT_EQ(window.notes[0].idFrom, 1028);
            EXPECT_EQ(window.notes[0].code, TCN_SELCHANGE);
            EXPECT_EQ(window.notes[0].from, tabs);
            EXPECT_EQ(signalled, s.selection);
        }
    }
}

}  // namespace
}  // namespace pavo
