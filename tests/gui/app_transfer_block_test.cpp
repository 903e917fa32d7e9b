// During a transfer the main window keeps its normal look but takes no input, and closing it waits
// until the unit is no longer being written.
#include <gtest/gtest.h>

#include <QTest>

#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/EnTabCtrl.h"
#include "controls_support.h"
#include "platform/ControlId.h"

namespace pavo {
namespace {

class TransferBlock : public ::testing::Test {
protected:
    void SetUp() override {
        StartOptions o;
        o.connectAtStart = false;
        w = std::make_unique<PavoDlg>(o);
        w->progress().SetGraceTimes(20, 20);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    QImage Picture() {
        test::FlushPaints();
        return test::Grab(&w->canvas());
    }
    BitButton* Button(int id) { return DialogItemAs<BitButton>(&w->canvas(), id); }

    test::AppState state;
    std::unique_ptr<PavoDlg> w;
};

TEST_F(TransferBlock, TheWindowLooksTheSameAndIgnoresInputUntilTheTransferEnds) {
    BitmapSlider& music = w->masterSlider(0);
    const QImage before = Picture();

    w->progress().StartProgress(5);
    EXPECT_TRUE(w->progress().BlocksInput());
    EXPECT_EQ(Picture(), before);  // no greyed captions, blank buttons or vanished titles

    QTest::mouseClick(Button(PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    QTest::mouseClick(&w->tabs(), Qt::LeftButton, {}, w->tabs().GetItemRect(0).center());
    QTest::mouseClick(&music, Qt::LeftButton, {}, QPoint(music.width() - 2, music.height() / 2));
    music.setFocus();
    test::Wheel(&music, 120);
    QTest::keyClick(&music, Qt::Key_End);
    DeliverPostedMessages();
    EXPECT_EQ(CurrentUiLanguage(), LanguageEnglish);
    EXPECT_EQ(w->unit().model().pages.CurrentPage, PavoDlg::PageSystem);
    EXPECT_EQ(music.GetPos(), 0);
    EXPECT_EQ(w->unit().model().system.MusicMaster, 0);

    w->progress().SetPosition(5);  // the last item written
    EXPECT_FALSE(w->progress().BlocksInput());
    QTest::mouseClick(Button(PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    EXPECT_EQ(CurrentUiLanguage(), LanguageChinese);
}

TEST_F(TransferBlock, ClosingWaitsForAnAcknowledgedTransferButNotForALookup) {
    w->unit().model().flags.transferPending = 1;
    w->progress().StartWait();
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->progress().isVisible());  // the user sees what it waits for
    test::WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(w->isVisible());

    w->unit().model().flags.transferPending = 0;  // the unit acknowledged
    ASSERT_TRUE(test::WaitUntil([&] { return !w->isVisible(); }, 5000));
    EXPECT_EQ(w->progress().mode(), Show_Dlg::Mode::Hidden);

    w->show();
    w->unit().model().flags.lookupPending = 1;
    w->progress().StartLookup();
    EXPECT_TRUE(w->close());  // nothing is written during a lookup
    w->progress().EndLookup();
}

}  // namespace
}  // namespace pavo
