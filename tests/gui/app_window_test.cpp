// The main window off line: language and titles, the master strip, page selection, keys, small screens,
// the About box.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls_support.h"
#include "model/DataConver.h"
#include "pages/PageDlg.h"
#include "platform/ControlId.h"
#include "platform/Resources.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

StartOptions OffLine() {
    StartOptions o;
    o.connectAtStart = false;
    return o;
}

TEST(MainWindow, StartsInTheLocalesLanguageAndSwitchesEverything) {
    struct Case {
        int locale;
        const char* title;
        const char* languageButton;
        const char* tab0;
        const char* label;
    } cases[] = {
        {kLocaleChinesePrc, "Strix Processor 1.02", "English", "音乐", "脱机"},
        {kLocaleEnglishUs, "Corvo Audio Processor SV-1.02", "中文", "Music", "Off Line"},
    };
    for (const Case& c : cases) {
        test::AppState state;
        SystemLocaleId() = c.locale;
        PavoDlg w(OffLine());
        EXPECT_EQ(w.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(DialogItemAs<BitButton>(&w.canvas(), PavoDlg::IDC_LANGUAGE)->text(),
                  QString::fromUtf8(c.languageButton));
        EXPECT_EQ(w.tabs().ItemText(0), QString::fromUtf8(c.tab0));
        EXPECT_EQ(w.programLabelText(), QString::fromUtf8(c.label));
    }
    test::AppState state;
    PavoDlg w(OffLine());
    QTest::mouseClick(DialogItemAs<BitButton>(&w.canvas(), PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    EXPECT_EQ(CurrentUiLanguage(), LanguageChinese);
    EXPECT_EQ(w.windowTitle(), "Strix Processor 1.02");
    EXPECT_EQ(w.connectButtonText(), QString::fromUtf8("联机"));
    EXPECT_EQ(w.tabs().ItemText(5), QString::fromUtf8("系统"));
    QTest::mouseClick(DialogItemAs<BitButton>(&w.canvas(), PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    EXPECT_EQ(w.windowTitle(), "Corvo Audio Processor SV-1.02");
    EXPECT_EQ(w.connectButtonText(), "Connect");
}

TEST(MainWindow, OpensOnTheSystemPageAndSwitchesPages) {
    test::AppState state;
    PavoDlg w(OffLine());
    w.show();
    EXPECT_EQ(w.unit().model().pages.CurrentPage, PavoDlg::PageSystem);
    EXPECT_EQ(w.tabs().GetCurSel(), PavoDlg::PageSystem);
    EXPECT_TRUE(w.SystemPage()->isVisible());
    w.SelectPage(PavoDlg::PageMusic);
    EXPECT_TRUE(w.Page(PavoDlg::PageMusic)->isVisible());
    EXPECT_FALSE(w.SystemPage()->isVisible());
    // Both output indices show the one output page.
    EXPECT_EQ(w.Page(PavoDlg::PageOut12), w.Page(PavoDlg::PageOut34));
}

TEST(MainWindow, MasterStripClampsMutesAndUnmutes) {
    test::AppState state;
    PavoDlg w(OffLine());
    w.show();
    SystemRecord& s = w.unit().model().system;
    BitmapSlider& music = w.masterSlider(0);
    // The slider's range is 0..84; the music maximum lowered to 60 clamps a drag to 60.
    s.MusicMax = 60;
    music.SetPos(80);
    SendMessage(&w, WM_SLIDER_CHANGED, 3820, 80);
    EXPECT_EQ(s.MusicMaster, 60);
    EXPECT_EQ(music.GetPos(), 60);
    EXPECT_EQ(w.masterLabel(0).text(), "60");

    // Mute twice restores the byte; moving the slider of a muted group un-mutes it.
    BitButton& mute = w.muteButton(1);  // microphone: button 4002
    s.MicMaster = 33;
    QTest::mouseClick(&mute, Qt::LeftButton);
    DeliverPostedMessages();
    EXPECT_EQ(s.MicMaster, 0x80 | 33);
    EXPECT_TRUE(mute.IsLatched());
    QTest::mouseClick(&mute, Qt::LeftButton);
    EXPECT_EQ(s.MicMaster, 33);
    QTest::mouseClick(&mute, Qt::LeftButton);
    w.masterSlider(1).SetPos(20);
    SendMessage(&w, WM_SLIDER_TRACKING, 3821, 20);
    EXPECT_EQ(s.MicMaster, 20);
    EXPECT_FALSE(mute.IsLatched());

    // Lowering a maximum below the level stores the maximum, un-muted; above it nothing changes.
    s.MicMaster = 0x80 | 60;
    s.MicMax = 50;
    w.ClampMicLevel();
    EXPECT_EQ(s.MicMaster, 50);
    s.MicMaster = 40;
    w.ClampMicLevel();
    EXPECT_EQ(s.MicMaster, 40);

    // The effect group is stored like the others but never shown.
    EXPECT_FALSE(w.masterSlider(2).isVisible());
    EXPECT_TRUE(w.masterSlider(0).isVisible());
    SendMessage(&w, WM_SLIDER_CHANGED, 9999, 5);  // another slider id is ignored
}

TEST(MainWindow, EnterAndEscapeMoveTheFocusAndNeverClose) {
    test::AppState state;
    PavoDlg w(OffLine());
    auto* edit = new QLineEdit(&w.canvas());
    w.show();
    QApplication::setActiveWindow(&w);
    edit->setFocus();
    ASSERT_TRUE(test::WaitUntil([&] { return edit->hasFocus(); }, 2000));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->hasFocus());
    EXPECT_TRUE(w.isVisible());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->hasFocus());
    EXPECT_TRUE(w.isVisible());
}

TEST(MainWindow, SmallScreensGetAResizableScrollingWindow) {
    test::AppState state;
    PavoDlg big(OffLine());
    const QSize fixed = big.size();
    big.AdaptToScreen({1366, 768});
    EXPECT_EQ(big.size(), fixed);
    EXPECT_EQ(big.minimumSize(), big.maximumSize());

    PavoDlg small(OffLine());
    small.AdaptToScreen({1280, 720});
    EXPECT_EQ(small.size(), QSize(1290, 740));
    EXPECT_NE(small.minimumSize(), small.maximumSize());
    small.resize(800, 500);
    small.show();
    auto* scroll = small.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] { return scroll->horizontalScrollBar()->maximum() > 0; }, 2000));
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
}

// The window of a small screen is larger than the dialog: the rest is page background, not grey.
TEST(MainWindow, OnASmallScreenTheAreaBeyondTheDialogHasThePageBackground) {
    test::AppState state;
    PavoDlg w(OffLine());
    w.AdaptToScreen({1280, 720});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    test::WaitUntil([] { return false; }, 100);
    const QImage img = w.grab().toImage();
    const QSize dialog = w.canvas().size();
    ASSERT_LT(dialog.width(), img.width());
    ASSERT_LT(dialog.height(), img.height());
    const QPoint beyond[] = {{dialog.width() + 5, 50},
                             {50, dialog.height() + 5},
                             {dialog.width() + 5, dialog.height() + 5},
                             {img.width() - 2, img.height() - 2}};
    for (QPoint p : beyond) EXPECT_EQ(img.pixelColor(p), PageBackground()) << p.x() << "," << p.y();
    const QString dir = test::GalleryDir();
    EXPECT_TRUE(img.save(dir + "/main_window_small_screen.png"));
}

TEST(MainWindow, ProgramLabelPrefixes) {
    test::AppState state;
    PavoDlg w(OffLine());
    w.unit().model().flags.connected = 1;
    BytesFromText(w.unit().model().current.ProgramName, kProgramNameLength, "Party");
    struct Case {
        int n;
        const char* label;
    } cases[] = {{1, "1:Party"}, {16, "16:Party"}, {17, "F1:Party"}, {18, "F2:Party"}, {21, "F5:Party"}};
    for (const Case& c : cases) {
        test::Edit(w.unit(), [&](Model& m) { m.system.ProgramNumber = static_cast<uint8_t>(c.n); });
        w.UpdateStatus(true);
        EXPECT_EQ(w.programLabelText(), c.label);
    }
    EXPECT_EQ(w.connectButtonText(), "Disconnect");
    w.unit().model().flags.connected = 0;
}

// The About box, opened from the context menu, names the build's version in the UI's language.
TEST(MainWindow, AboutBoxNamesTheVersion) {
    test::AppState state;
    PavoDlg w(OffLine());
    w.show();
    struct Case {
        UiLanguage language;
        QString text;
    } cases[] = {{LanguageEnglish, "pavo version " PAVO_VERSION},
                 {LanguageChinese, QString::fromUtf8("pavo " PAVO_VERSION " 版")}};
    for (const Case& c : cases) {
        SetUiLanguage(c.language);
        QStringList labels;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            // The box is modal: read it from inside its own loop, then close it.
            QTimer::singleShot(0, [&] {
                QWidget* box = QApplication::activeModalWidget();
                if (!box) return;
                for (auto* label : box->findChildren<QLabel*>()) labels << label->text();
                box->close();
            });
            for (QAction* a : menu->actions())
                if (a->text() == Bilingual("关于(&A)...", "&About...")) a->trigger();
            menu->close();
        });
        test::RightClick(w, QPoint(600, 5));
        EXPECT_TRUE(labels.contains(c.text)) << labels.join(" | ").toStdString();
    }
    SetUiLanguage(LanguageEnglish);
}

}  // namespace
}  // namespace pavo
