// Skinned combo box: the closed box drawn from its bitmaps, the dropped list with its edges and
// indented texts, the shared text indent, and the selection notification.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <functional>
#include <vector>

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "platform/ControlId.h"
#include "platform/DialogTemplate.h"
#include "platform/Resources.h"
#include "platform/Skin.h"
#include "platform/WinMessage.h"

namespace pavo {
namespace {

struct Page : QWidget, MessageTarget {
    std::vector<std::pair<WParam, LParam>> commands;
    Page() {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, PageBackground());
        setPalette(pal);
        setAutoFillBackground(true);
        setFont(TemplateFont());
        resize(200, 60);
    }
    LResult WindowProc(unsigned m, WParam w, LParam l) override {
        if (m == WM_COMMAND) commands.push_back({w, l});
        return MessageTarget::WindowProc(m, w, l);
    }
};

// A combo as every page configures it, at (10, 10) on a page-coloured host.
class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        combo = new BitComboBox(&page);
        SetControlId(combo, 2603);
        combo->setGeometry(10, 10, 120, 100);  // a template gives the dropped height; the box keeps 21
        combo->SetBoxBitmaps(201, 202, 200);
        combo->SetListEdgeBitmaps(205, 206, 203, 204);
        combo->SetFocusItemColours(0x2E2D24, 0xFFFFFF);
        combo->SetItemColours(0x2E2D24, 0xFFFFFF);
        QFont f = TemplateFont();
        f.setStyleStrategy(QFont::NoAntialias);
        combo->setFont(f);
        combo->addItems({"Auto", "AUDIO", "AUX"});
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }
    QImage GrabBox() {
        combo->repaint();
        QApplication::processEvents();
        return page.grab(combo->geometry()).toImage();
    }
    // Leftmost column with a pixel in the text colour, or -1.
    static int LeftmostText(const QImage& img, const QRect& area, const QColor& text) {
        for (int x = area.left(); x <= area.right(); ++x)
            for (int y = area.top(); y <= area.bottom(); ++y)
                if (img.pixelColor(x, y) == text) return x;
        return -1;
    }
    static void ExpectBitmapAt(const QImage& img, int id, QPoint at) {
        const QImage bmp = LoadBitmapImage(id);
        ASSERT_FALSE(bmp.isNull()) << id;
        for (int y = 0; y < bmp.height(); ++y)
            for (int x = 0; x < bmp.width(); ++x)
                ASSERT_EQ(img.pixelColor(at + QPoint(x, y)).rgb(), bmp.pixelColor(x, y).rgb())
                    << "bitmap " << id << " at " << x << "," << y;
    }
    Page page;
    BitComboBox* combo = nullptr;
};

TEST_F(ComboTest, ClosedBoxIsDrawnFromItsBitmaps) {
    EXPECT_EQ(combo->height(), 21);
    const QImage img = GrabBox();
    ExpectBitmapAt(img, 200, {0, 0});
    ExpectBitmapAt(img, 202, {120 - 20, 0});
    const QImage middle = LoadBitmapImage(201);
    const QColor fill = ColorRef(0x2E2D24), white = ColorRef(0xFFFFFF);
    for (int x : {15, 60, 99}) {
        // Bitmap rows outside the filled band, the item background inside it (rows 3..12).
        for (int y : {0, 1, 2, 13, 20})
            EXPECT_EQ(img.pixelColor(x, y).rgb(), middle.pixelColor(0, y).rgb()) << x << "," << y;
    }
    for (int y = 3; y <= 12; ++y) EXPECT_EQ(img.pixelColor(95, y), fill) << y;
    // The selection's text, white, starting past the left cap (15 pixels) and 5 more.
    EXPECT_EQ(combo->currentText(), "Auto");
    const int textLeft = LeftmostText(img, QRect(0, 0, 100, 21), white);
    EXPECT_GE(textLeft, 20);
    EXPECT_LT(textLeft, 24);
    combo->setEnabled(false);
    const QImage disabled = GrabBox();
    EXPECT_EQ(LeftmostText(disabled, QRect(0, 0, 100, 21), white), -1);
    EXPECT_EQ(LeftmostText(disabled, QRect(0, 0, 100, 21), ColorRef(kDisabledCaption)), textLeft);
}

// The closed text looks the same from the first paint on: no indent or font of its own until a list
// has dropped once. Also with an application font that differs from the page's (as under a Chinese
// locale, where the system font is a heavier one).
TEST_F(ComboTest, ClosedTextIsTheSameBeforeAndAfterTheFirstDrop) {
    const QFont appFont = QApplication::font();
    struct Row {
        const char* name;
        QFont applicationFont;
    } rows[] = {
        {"the page's font everywhere", TemplateFont()},
        {"a heavier, larger application font",
         [] {
             QFont f(QStringLiteral("Noto Sans CJK SC"));
             f.setPixelSize(15);
             f.setWeight(QFont::Bold);
             return f;
         }()},
    };
    const QColor white = ColorRef(0xFFFFFF);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QApplication::setFont(row.applicationFont);
        auto* fresh = new BitComboBox(&page);
        fresh->setGeometry(10, 35, 120, 21);
        fresh->SetBoxBitmaps(201, 202, 200);
        fresh->SetListEdgeBitmaps(205, 206, 203, 204);
        fresh->SetItemColours(0x2E2D24, 0xFFFFFF);
        fresh->setFont(combo->font());
        fresh->addItems({"OFF", "ON"});
        fresh->show();
        auto grab = [&] {
            fresh->repaint();
            QApplication::processEvents();
            return page.grab(fresh->geometry()).toImage();
        };
        const QImage before = grab();
        EXPECT_EQ(fresh->ListBox(), nullptr);
        const int left = LeftmostText(before, QRect(0, 0, 100, 21), white);
        EXPECT_GE(left, 20);
        EXPECT_LT(left, 24);

        fresh->showPopup();
        ASSERT_NE(fresh->ListBox(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fresh->view()->window()));
        fresh->hidePopup();
        EXPECT_EQ(grab(), before);
        delete fresh;
    }
    QApplication::setFont(appFont);
}

TEST_F(ComboTest, DroppedListHasEdgesItemColoursAndIndentedTexts) {
    combo->showPopup();
    BitListBox* list = combo->ListBox();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    list->setCurrentIndex(combo->model()->index(2, 0));
    const QImage img = list->viewport()->grab().toImage();
    combo->hidePopup();
    const int w = img.width(), h = img.height();
    ASSERT_GT(h, 20);

    const QColor edge = LoadBitmapImage(205).pixelColor(0, 8);
    EXPECT_EQ(img.pixelColor(0, h / 2).rgb(), edge.rgb());
    EXPECT_EQ(img.pixelColor(w - 1, h / 2).rgb(), LoadBitmapImage(206).pixelColor(3, 8).rgb());
    EXPECT_EQ(img.pixelColor(w / 2, 0).rgb(), LoadBitmapImage(203).pixelColor(1, 0).rgb());
    EXPECT_EQ(img.pixelColor(w / 2, h - 1).rgb(), LoadBitmapImage(204).pixelColor(1, 2).rgb());

    // Rows 0 and 1 in the item colours, their text from x 20; row 2 (current) keeps the highlight.
    const QColor fill = ColorRef(0x2E2D24), white = ColorRef(0xFFFFFF);
    for (int row = 0; row < 2; ++row) {
        const QRect item = list->visualRect(combo->model()->index(row, 0));
        EXPECT_EQ(img.pixelColor(w - 8, item.center().y()), fill) << row;
        EXPECT_GE(LeftmostText(img, QRect(4, item.y(), w - 8, item.height()), white), 20) << row;
    }
    const QRect current = list->visualRect(combo->model()->index(2, 0));
    EXPECT_EQ(img.pixelColor(w - 8, current.center().y()), list->palette().color(QPalette::Highlight));
}

TEST_F(ComboTest, UserSelectionNotifiesTheParent) {
    combo->setFocus();
    struct Step {
        const char* what;
        std::function<void()> run;
        int index;
        int notes;
    } steps[] = {
        {"arrow down", [&] { QTest::keyClick(combo, Qt::Key_Down); }, 1, 1},
        {"arrow down again", [&] { QTest::keyClick(combo, Qt::Key_Down); }, 2, 1},
        {"set by the program", [&] { combo->setCurrentIndex(0); }, 0, 0},
    };
    for (const Step& s : steps) {
        page.commands.clear();
        s.run();
        EXPECT_EQ(combo->currentIndex(), s.index) << s.what;
        ASSERT_EQ(static_cast<int>(page.commands.size()), s.notes) << s.what;
        for (const auto& [w, l] : page.commands) {
            EXPECT_EQ(CommandId(w), 2603);
            EXPECT_EQ(CommandCode(w), CBN_SELCHANGE);
            EXPECT_EQ(l, reinterpret_cast<LParam>(combo));
        }
    }
}

TEST_F(ComboTest, WithoutBitmapsThosePartsStayUnpainted) {
    BitComboBox bare(&page);
    bare.setGeometry(10, 35, 120, 21);
    bare.addItem("L");
    bare.show();
    bare.repaint();
    QApplication::processEvents();
    const QImage img = page.grab(bare.geometry()).toImage();
    EXPECT_EQ(img.pixelColor(5, 1), PageBackground());     // no cap
    EXPECT_EQ(img.pixelColor(115, 1), PageBackground());   // no arrow
    EXPECT_EQ(img.pixelColor(60, 8), ColorRef(0x2E2D24));  // the item background is still filled
}

TEST_F(ComboTest, OwnerDrawnListMarksTheFocusedItem) {
    BitComboBox drawn(&page, true);
    drawn.setGeometry(10, 35, 120, 21);
    drawn.SetBoxBitmaps(201, 202, 200);
    drawn.SetListEdgeBitmaps(205, 206, 203, 204);
    drawn.SetFocusItemColours(0x0000FF, 0xFFFFFF);
    drawn.SetItemColours(0x2E2D24, 0xFFFFFF);
    drawn.addItems({"Disable", "Enable"});
    drawn.show();
    drawn.showPopup();
    BitListBox* list = drawn.ListBox();
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(drawn.model()->index(1, 0));
    const QImage img = list->viewport()->grab().toImage();
    drawn.hidePopup();
    const int w = img.width();
    const QRect first = list->visualRect(drawn.model()->index(0, 0));
    const QRect second = list->visualRect(drawn.model()->index(1, 0));
    EXPECT_EQ(img.pixelColor(w - 8, first.center().y()), ColorRef(0x2E2D24));
    EXPECT_EQ(img.pixelColor(w - 8, second.center().y()), ColorRef(0x0000FF));
    EXPECT_EQ(img.pixelColor(0, second.center().y()).rgb(), LoadBitmapImage(205).pixelColor(0, 8).rgb());
    EXPECT_EQ(img.pixelColor(w / 2, first.top()).rgb(), LoadBitmapImage(203).pixelColor(1, 0).rgb());
    EXPECT_EQ(img.pixelColor(w - 8, second.bottom()).rgb(), LoadBitmapImage(204).pixelColor(1, 2).rgb());
    EXPECT_GE(LeftmostText(img, QRect(0, 0, w, img.height()), ColorRef(0xFFFFFF)), 20);
}

}  // namespace
}  // namespace pavo
