// Edits from the remote control in the window's history: each is a step of its own between the
// user's gestures, and none runs while a transfer holds the unit.
#include <gtest/gtest.h>

#include "app/RemoteControl.h"
#include "app/UndoNames.h"
#include "model/FieldCatalog.h"
#include "undo_support.h"

namespace pavo {
namespace {

using test::UndoWindow;
using S = SysDlg;

TEST(UndoGestures, ARemoteEditIsAStepBetweenTheUsersRepeatsAndWaitsForNoTransfer) {
    UndoWindow u;
    u.ShowPage(PavoDlg::PageSystem);
    auto* audio = u.SysItem<BitmapSlider>(S::IDC_VOD_GAIN);
    Model& m = u.unit().model();
    RemoteControl& remote = u.w->remote();
    const FieldInfo* field = FindField("System.BgmInputGain");
    ASSERT_NE(field, nullptr);
    const StepTag tag{StepKind::Remote, static_cast<int>(field - Fields().data())};
    auto setBgm = [&m](int code) {
        return [&m, code] {
            m.Edit([&] { m.system.BgmInputGain = static_cast<uint8_t>(code); });
            m.RecordsReplaced();
        };
    };
    auto gains = [&m] { return std::pair<int, int>(m.system.VodInputGain, m.system.BgmInputGain); };

    // Two key repeats join; a remote edit lands between them and the next repeat, which then joins
    // nothing before it, however close in time.
    u.undo().SetJoinWindow(60000);
    u.Key(Qt::Key_Up, Qt::NoModifier, audio);
    u.Key(Qt::Key_Up, Qt::NoModifier, audio);
    ASSERT_EQ(u.history().UndoDepth(), 1u);
    EXPECT_EQ(remote.Edit(u.unit(), tag, setBgm(5)), remote::ExecResult::Done);
    ASSERT_EQ(u.history().UndoDepth(), 2u);
    EXPECT_TRUE(StepName(*u.history().NextUndo()).startsWith(QStringLiteral("Remote: ")));
    EXPECT_EQ(u.SysItem<BitmapSlider>(S::IDC_BGM_GAIN)->GetPos(), 5) << "the page shows the remote edit";
    u.Key(Qt::Key_Up, Qt::NoModifier, audio);
    EXPECT_EQ(u.history().UndoDepth(), 3u);
    EXPECT_EQ(gains(), std::make_pair(3, 5));

    const std::pair<int, int> undone[] = {{2, 5}, {2, 0}, {0, 0}};
    for (const auto& expected : undone) {
        u.Undo();
        EXPECT_EQ(gains(), expected);
    }

    // While a transfer holds the unit the edit is refused: nothing changes, no step, redo kept.
    m.flags.transferPending = 1;
    EXPECT_EQ(remote.Edit(u.unit(), tag, setBgm(9)), remote::ExecResult::Busy);
    EXPECT_EQ(gains(), std::make_pair(0, 0));
    EXPECT_EQ(u.history().UndoDepth(), 0u);
    EXPECT_TRUE(u.history().CanRedo());
    m.flags.transferPending = 0;
    EXPECT_EQ(remote.Edit(u.unit(), tag, setBgm(9)), remote::ExecResult::Done);
    EXPECT_EQ(gains(), std::make_pair(0, 9));
    EXPECT_FALSE(u.history().CanRedo());
}

}  // namespace
}  // namespace pavo
