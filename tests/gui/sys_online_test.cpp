// The system page against the virtual unit: the password check that grants storing, storing a named
// program, the password change, recall, and the meters while on line and after a disconnect.
#include <gtest/gtest.h>

#include <QLabel>
#include <algorithm>
#include <cstring>

#include "controls/SLamp.h"
#include "protocol/CommandCodes.h"
#include "sys_support.h"
#include "virtual_unit/UnitLine.h"

namespace pavo {
namespace {

using test::StartUnit;
using test::SysPage;
using unit::UnitLine;
using unit::UnitOptions;

// Connects the page's window to the unit and waits until the full read is over.
bool ConnectTo(SysPage& s, UnitLine& u) {
    s.window->connection().SetPortLister([path = u.DevicePath()] { return std::vector<std::string>{path}; });
    PostMessage(s.window.get(), WM_CONNECT_REQUEST);
    return test::WaitUntil(
        [&] { return test::OnLineAndIdle(*s.window) && s.model().flags.transferPending.load() == 0; });
}

size_t FramesWithCommand(UnitLine& u, uint8_t cmd) {
    const auto frames = u.Received();
    return std::count_if(frames.begin(), frames.end(),
                         [cmd](const unit::ReceivedFrame& f) { return f.frame.cmd == cmd; });
}

std::string Name(const ProgramImage& image) {
    return TextFromBytes(image.ProgramName, kProgramNameLength);
}

bool SameAfterName(const ProgramImage& a, const ProgramImage& b) {
    return std::memcmp(BytesOf(a) + kProgramNameLength, BytesOf(b) + kProgramNameLength,
                       sizeof(ProgramImage) - kProgramNameLength) == 0;
}

TEST(SysOnLine, PasswordGrantsStoringAndStoreAndPasswordChangeReachTheUnit) {
    using S = SysDlg;
    SysPage s;
    UnitOptions options;
    options.storeAuthority = 0;
    auto u = StartUnit(options);
    ASSERT_TRUE(ConnectTo(s, *u));
    const std::string password = TextFromBytes(u->Unit().System().SystemPassword, kSystemPasswordLength);
    ASSERT_EQ(password.size(), 6u);

    for (int id : {S::IDC_STORE, S::IDC_PROGRAM_NAME, S::IDC_IMPORT, S::IDC_IMPORT_ALL, S::IDC_VERIFY_OK})
        EXPECT_FALSE(s.Enabled(id)) << id;
    EXPECT_TRUE(s.Enabled(S::IDC_VERIFY_EDIT));
    EXPECT_EQ(s.Item<QLabel>(S::IDC_AUTHORITY_TEXT)->text(), "No Store Allow");

    // A wrong password leaves OK disabled and nothing goes to the unit.
    std::string wrong = password;
    wrong[5] = wrong[5] == '1' ? '2' : '1';
    s.Type(S::IDC_VERIFY_EDIT, QString::fromStdString(wrong));
    EXPECT_FALSE(s.Enabled(S::IDC_VERIFY_OK));
    s.Click(S::IDC_VERIFY_OK);
    test::WaitUntil([] { return false; }, 200);
    EXPECT_EQ(FramesWithCommand(*u, CmdSystemPassword), 0u);
    EXPECT_EQ(s.model().flags.storeAuthority.load(), 0);

    s.Type(S::IDC_VERIFY_EDIT, QString::fromStdString(password));
    ASSERT_TRUE(s.Enabled(S::IDC_VERIFY_OK));
    s.Click(S::IDC_VERIFY_OK);
    EXPECT_EQ(s.Item<QLabel>(S::IDC_AUTHORITY_TEXT)->text(), "Store Allow");

    // Store program 5 under a new name: the wait dialog stays until the unit acknowledges.
    s.Choose(S::IDC_PROGRAM_LIST, 4);
    ASSERT_TRUE(s.Enabled(S::IDC_STORE));
    EXPECT_EQ(s.Item<EnglishEdit>(S::IDC_PROGRAM_NAME)->text().toStdString(),
              Name(u->Unit().StoredProgram(5)));
    s.Type(S::IDC_PROGRAM_NAME, "Duet Night");
    s.Click(S::IDC_STORE);
    EXPECT_EQ(s.window->progress().mode(), Show_Dlg::Mode::Wait);
    EXPECT_TRUE(s.window->progress().BlocksInput());
    ASSERT_TRUE(test::WaitUntil([&] { return s.window->progress().mode() == Show_Dlg::Mode::Hidden; }));
    EXPECT_FALSE(s.window->progress().BlocksInput());

    const ProgramImage stored = u->Unit().StoredProgram(5);
    EXPECT_EQ(Name(stored), "Duet Night");
    EXPECT_EQ(stored.ProgramName[19], ' ');
    EXPECT_TRUE(SameAfterName(stored, s.model().current));
    EXPECT_EQ(u->Unit().System().ProgramNumber, 5);
    EXPECT_EQ(s.window->programLabelText(), "5:Duet Night");
    EXPECT_EQ(s.Item<BitComboBox>(S::IDC_PROGRAM_LIST)->currentText(), "5-Duet Night");
    // The password frame went first, with the current password twice.
    const auto frames = u->Received();
    const auto store =
        std::find_if(frames.begin(), frames.end(), [](auto& f) { return f.frame.cmd == CmdStore; });
    ASSERT_NE(store, frames.end());
    ASSERT_NE(store, frames.begin());
    const auto& before = std::prev(store)->frame;
    EXPECT_EQ(before.cmd, CmdSystemPassword);
    EXPECT_EQ(std::string(before.payload.begin(), before.payload.end()), password + password);

    // Change the system password; the unit takes the new one.
    s.Type(S::IDC_OLD_PASSWORD, QString::fromStdString(password));
    s.Type(S::IDC_NEW_PASSWORD, "A1b2C3");
    s.Type(S::IDC_CONFIRM_PASSWORD, "A1b2C3");
    ASSERT_TRUE(s.Enabled(S::IDC_MODIFY));
    s.Click(S::IDC_MODIFY);
    EXPECT_TRUE(test::WaitUntil(
        [&] { return TextFromBytes(u->Unit().System().SystemPassword, kSystemPasswordLength) == "A1b2C3"; }));
}

TEST(SysOnLine, AfterTheFullReadEveryListShowsTheUnitsSetting) {
    using S = SysDlg;
    SysPage s;
    auto u = StartUnit();
    ASSERT_TRUE(ConnectTo(s, *u));
    for (int id : {S::IDC_INPUT_SELECT, S::IDC_SENSITIVITY, S::IDC_PHANTOM, S::IDC_IR_REMOTE}) {
        const auto* combo = s.Item<BitComboBox>(id);
        EXPECT_GE(combo->currentIndex(), 0) << id;
        EXPECT_FALSE(combo->currentText().isEmpty()) << id;
    }
}

TEST(SysOnLine, RecallBringsTheUnitsProgramAndMetersFollowTheLink) {
    using S = SysDlg;
    SysPage s;
    auto u = StartUnit();
    ASSERT_TRUE(ConnectTo(s, *u));

    // The unit's status replies light every meter (its levels never fall below the first segment).
    EXPECT_TRUE(test::WaitUntil([&] {
        for (int i = 0; i < SysDlg::kMeterCount; ++i)
            if (!s.page->meter(i).IsSegmentShown(0)) return false;
        return true;
    }));

    struct Case {
        int index;
        const char* prefix;
        bool storable;
    } cases[] = {{2, "3:", true}, {18, "F3:", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        const int n = c.index + 1;
        s.Choose(S::IDC_PROGRAM_LIST, c.index);
        s.Click(S::IDC_RECALL);
        const QString label = c.prefix + QString::fromStdString(Name(u->Unit().StoredProgram(n)));
        ASSERT_TRUE(test::WaitUntil([&] {
            return s.window->progress().mode() == Show_Dlg::Mode::Hidden &&
                   s.window->programLabelText() == label;
        }));
        EXPECT_TRUE(SameRecord(s.model().current, u->Unit().StoredProgram(n)));
        EXPECT_EQ(s.model().system.ProgramNumber, n);
        EXPECT_EQ(s.Item<BitComboBox>(S::IDC_PROGRAM_LIST)->currentIndex(), c.index);
        EXPECT_EQ(s.Enabled(S::IDC_STORE), c.storable);
        EXPECT_EQ(s.Enabled(S::IDC_PROGRAM_NAME), c.storable);
    }

    // Disconnect: the page goes off line and the meters go dark.
    QTest::mouseClick(DialogItemAs<QWidget>(&s.window->canvas(), PavoDlg::IDC_CONNECT), Qt::LeftButton);
    ASSERT_EQ(s.model().flags.connected.load(), 0);
    test::WaitUntil([] { return false; }, 100);  // a status message still on its way must not relight them
    for (int i = 0; i < SysDlg::kMeterCount; ++i)
        for (int seg = 0; seg < SLamp::kSegments; ++seg)
            EXPECT_FALSE(s.page->meter(i).IsSegmentShown(seg)) << i;
    EXPECT_EQ(s.Item<QLabel>(S::IDC_AUTHORITY_TEXT)->text(), "No Store Allow");
    EXPECT_FALSE(s.Enabled(S::IDC_STORE));
    EXPECT_FALSE(s.Enabled(S::IDC_VERIFY_EDIT));
    EXPECT_FALSE(s.Enabled(S::IDC_OLD_PASSWORD));
}

}  // namespace
}  // namespace pavo
