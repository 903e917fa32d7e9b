// Gallery: one PNG per control state of the combo boxes, page tabs, English-only edit, level meters
// and group boxes, written to <build>/gallery/ for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWidget>

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/EnTabCtrl.h"
#include "controls/EnglishEdit.h"
#include "controls/NumEdit.h"
#include "controls/SLamp.h"
#include "controls/SxGroupBox.h"
#include "controls_support.h"
#include "platform/DialogTemplate.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

QString GalleryPath(const QString& name) {
    const QString dir = test::GalleryDir();
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

// Saves the image as it is and three times enlarged (pixel for pixel), so details can be judged.
void SaveImage(const QImage& img, const QString& name) {
    EXPECT_TRUE(img.save(GalleryPath(name)));
    EXPECT_TRUE(img.scaled(img.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(GalleryPath(name + QStringLiteral("_x3"))));
}

// A page-coloured host widget.
struct Page : QWidget {
    Page(int w, int h) {
        setFont(TemplateFont());
        QPalette pal = palette();
        pal.setColor(QPalette::Window, PageBackground());
        setPalette(pal);
        setAutoFillBackground(true);
        resize(w, h);
    }
    void Save(const QString& name) {
        show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(this));
        QApplication::processEvents();
        SaveImage(grab().toImage(), name);
    }
};

BitComboBox* MakeCombo(QWidget* parent, const QStringList& items) {
    auto* c = new BitComboBox(parent);
    c->SetBoxBitmaps(201, 202, 200);
    c->SetListEdgeBitmaps(205, 206, 203, 204);
    c->SetFocusItemColours(0x2E2D24, 0xFFFFFF);
    c->SetItemColours(0x2E2D24, 0xFFFFFF);
    c->addItems(items);
    return c;
}

TEST(GallerySkin, ComboBoxes) {
    Page page(260, 40);
    auto* combo = MakeCombo(&page, {"Auto", "AUDIO", "AUX"});
    combo->setGeometry(10, 10, 120, 21);
    auto* other = MakeCombo(&page, {"OFF", "ON"});
    other->setGeometry(140, 10, 100, 21);
    page.Save("combo_closed_before_first_drop");

    combo->showPopup();
    QApplication::processEvents();
    ASSERT_NE(combo->ListBox(), nullptr);
    combo->ListBox()->setCurrentIndex(combo->model()->index(1, 0));
    QWidget* popup = combo->view()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    QApplication::processEvents();
    SaveImage(popup->grab().toImage(), "combo_list_dropped");
    combo->hidePopup();
    page.Save("combo_closed_after_first_drop");
    other->setEnabled(false);
    page.Save("combo_closed_second_disabled");
}

TEST(GallerySkin, PageTabs) {
    BaseTabCtrl::SetTabOptions(1, BaseTabCtrl::AllOptions);
    Page page(560, 120);
    EnTabCtrl tabs(&page);
    tabs.setFont(TemplateFont());
    tabs.SetBackgroundColour(0xFFFFFF);
    tabs.SetDrawingMode(2);
    tabs.setGeometry(2, 2, 556, 116);
    const char* names[] = {"Music", "Dynamic EQ", "Microphone", "Out 1&2", "Out 3&4", "System"};
    for (int i = 0; i < 6; ++i) tabs.InsertItem(i, QString::fromUtf8(names[i]));
    tabs.SetCurSel(5);
    page.Save("tabs_english_system_selected");
    const char* chinese[] = {"音乐", "动态EQ", "话筒", "输出1&2", "输出3&4", "系统"};
    for (int i = 0; i < 6; ++i) tabs.SetItemText(i, QString::fromUtf8(chinese[i]));
    tabs.SetCurSel(0);
    page.Save("tabs_chinese_music_selected");
    for (int i = 0; i < 6; ++i) tabs.SetItemText(i, QString::fromUtf8(names[i]));
    tabs.resize(300, 116);
    page.Save("tabs_narrow_ellipsis");
    tabs.SetDrawingMode(0);
    page.Save("tabs_standard_drawing");
}

TEST(GallerySkin, EnglishEdit) {
    Page page(200, 60);
    EnglishEdit name(&page);
    name.setGeometry(10, 10, 180, 20);
    name.setText("Program 01");
    EnglishEdit off(&page);
    off.setGeometry(10, 34, 180, 20);
    off.setText("disabled");
    off.setEnabled(false);
    page.Save("english_edit");
}

// Enabled (left) and disabled (right) edits, empty and filled, beside a disabled combo box and slider:
// a disabled edit must read as disabled at a glance, as they do.
TEST(GallerySkin, DisabledEditsBesideOtherDisabledControls) {
    Page page(420, 150);
    for (int column = 0; column < 2; ++column) {
        const bool enabled = column == 0;
        const int x = 10 + column * 205;
        auto* empty = new EnglishEdit(&page);
        empty->setGeometry(x, 10, 190, 20);
        auto* name = new EnglishEdit(&page);
        name->setGeometry(x, 36, 190, 20);
        name->setText("Program 01");
        auto* number = new NumEdit(&page);
        number->setGeometry(x, 62, 70, 18);
        number->SetRange(0, 180);
        number->SetScale(0.2);
        number->SetOffset(24);
        number->SetKind(NumEdit::Scaled);
        number->SetValue(96);
        auto* combo = MakeCombo(&page, {"OFF", "ON"});
        combo->setGeometry(x + 80, 60, 110, 21);
        auto* slider = new BitmapSlider(&page);
        slider->move(x, 90);
        slider->LoadChannelBitmaps(142, 155);
        slider->LoadThumbBitmaps(141, 141);
        slider->SetRange(0, 84);
        slider->SetPos(60);
        for (QWidget* w : std::initializer_list<QWidget*>{empty, name, number, combo}) w->setEnabled(enabled);
        slider->EnableSlider(enabled);
    }
    page.Save("edits_enabled_and_disabled");
}

TEST(GallerySkin, LevelMeters) {
    Page page(180, 200);
    const int levels[] = {0, 109, 110, 150, 199, 200, 255};
    std::vector<SLamp*> meters;
    for (int i = 0; i < 7; ++i) {
        auto* m = new SLamp(&page);
        m->setGeometry(10 + i * 24, 10, 16, 176);
        m->LayoutSegments();
        m->SetLevel(levels[i]);
        m->SetIndicator(i % 2 ? 100 : 200);
    }
    page.Save("level_meters_0_109_110_150_199_200_255");
}

TEST(GallerySkin, GroupBoxes) {
    Page page(420, 110);
    SxGroupBox left(QStringLiteral("Password"), &page);
    left.setGeometry(10, 10, 190, 90);
    SxGroupBox right(QStringLiteral("Program"), &page, Qt::AlignRight);
    right.setGeometry(215, 10, 190, 42);
    SxGroupBox off(QStringLiteral("Disabled"), &page, Qt::AlignHCenter);
    off.setGeometry(215, 58, 190, 42);
    off.setEnabled(false);
    page.Save("group_boxes_left_right_disabled");
}

}  // namespace
}  // namespace pavo
