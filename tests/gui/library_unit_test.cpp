// The preset library and the unit (virtual unit): the unit as a source only on line, its programs by
// the names of the full read; a program read into the side buffer leaves the current program, the
// last-sent image, the undo history and the pages alone and sends no edit; loading one recalls it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include "app/Connection.h"
#include "app/LibraryCurves.h"
#include "app/UndoGestures.h"
#include "controls_support.h"
#include "library_support.h"
#include "pages/PageDlg.h"
#include "protocol/CommandCodes.h"
#include "virtual_unit/UnitLine.h"

namespace pavo {
namespace {

using test::LibraryFixture;
using unit::UnitLine;

bool Connect(LibraryFixture& f, UnitLine& unit) {
    f.w->connection().SetPortLister([path = unit.DevicePath()] { return std::vector<std::string>{path}; });
    PostMessage(f.w.get(), WM_CONNECT_REQUEST);
    return test::WaitUntil(
        [&] { return test::OnLineAndIdle(*f.w) && f.model().flags.transferPending.load() == 0; });
}

// The commands of the frames the unit received from index `from` on.
std::vector<uint8_t> CommandsSince(const UnitLine& unit, size_t from) {
    std::vector<uint8_t> out;
    for (const unit::ReceivedFrame& r : unit.ReceivedFrom(from)) out.push_back(r.frame.cmd);
    return out;
}

bool IsStatusPoll(uint8_t cmd) {
    return cmd == CmdStatusA || cmd == CmdStatusB;
}

TEST(LibraryUnit, TheUnitIsASourceOnlyOnLine) {
    test::PresetFolder dir;
    LibraryFixture f;
    LibraryWindow& lib = f.Open(dir.path());
    EXPECT_FALSE(lib.UnitSourceEnabled());
    lib.SetSource(LibraryModel::Source::Unit);
    EXPECT_EQ(lib.model().source(), LibraryModel::Source::Folder);

    auto unit = test::StartUnit();
    ASSERT_TRUE(Connect(f, *unit));
    ASSERT_TRUE(test::WaitUntil([&] { return lib.UnitSourceEnabled(); }, 5000));
    lib.SetSource(LibraryModel::Source::Unit);
    ASSERT_EQ(lib.model().rowCount(), 21);
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            // The names fill in as the full read brings the programs, the last one last.
            return test::Cell(lib.model(), lib.model().index(20, 0), LibraryModel::ColumnName) ==
                   "F5  Function 5";
        },
        30000));
    EXPECT_EQ(test::Cell(lib.model(), lib.model().index(2, 0), LibraryModel::ColumnName), "3  Rock");
    EXPECT_EQ(test::Cell(lib.model(), lib.model().index(2, 0), LibraryModel::ColumnNote),
              "read when selected");

    f.w->connection().ConnectOrDisconnect();  // Disconnect
    ASSERT_TRUE(test::WaitUntil([&] { return !lib.UnitSourceEnabled(); }, 5000));
    EXPECT_EQ(lib.model().source(), LibraryModel::Source::Folder);
    EXPECT_EQ(lib.sourceBox().currentIndex(), 0);
}

TEST(LibraryUnit, ReadingAProgramIntoTheSideBufferTouchesNothingAndSendsNoEdit) {
    test::PresetFolder dir;
    LibraryFixture f;
    auto unit = test::StartUnit();
    ASSERT_TRUE(Connect(f, *unit));
    f.w->SelectPage(PavoDlg::PageMusic);
    // An edit of the user's, sent, and one step in the history.
    test::Edit(f.w->unit(), [](Model& m) { m.current.Mic12.MicLevel = 12; });
    f.w->undo().history().Commit();
    ASSERT_TRUE(test::WaitUntil([&] { return SameRecord(unit->Unit().CurrentImage(), f.model().current); }));
    LibraryWindow& lib = f.Open(dir.path());
    LibraryFixture::Settle();

    const Model& m = f.model();
    const ProgramImage current = m.current, lastSent = m.lastSent;
    const SystemRecord system = m.system, lastSentSystem = m.lastSentSystem;
    const UndoHistory& history = f.w->undo().history();
    const size_t depth = history.UndoDepth();
    const UndoStep* newest = history.NextUndo();
    const std::vector<uint8_t> newestAfter = newest->after;
    const uint8_t bankValid = m.bank.Valid;
    const QImage page = test::Grab(f.w->Page(PavoDlg::PageMusic));
    const size_t framesBefore = unit->ReceivedCount();

    for (int program : {5, 21}) {  // 21 is the last of a bank read: alone, it ends none
        SCOPED_TRACE(program);
        const size_t from = unit->ReceivedCount();
        ASSERT_TRUE(lib.SelectUnitProgram(program));
        ASSERT_TRUE(test::WaitUntil([&] { return lib.UnitProgram(program) && lib.readingProgram() == 0; }));
        LibraryFixture::Settle();
        EXPECT_TRUE(SameRecord(*lib.UnitProgram(program), unit->Unit().StoredProgram(program)));
        // Exactly one stored-program request went out, for that program; otherwise only status polls.
        int reads = 0;
        for (const unit::ReceivedFrame& r : unit->ReceivedFrom(from)) {
            if (r.frame.cmd == CmdReadPrograms) {
                ++reads;
                EXPECT_EQ(r.frame.payload, std::vector<uint8_t>{static_cast<uint8_t>(program)});
            } else {
                EXPECT_TRUE(IsStatusPoll(r.frame.cmd)) << "sent CMD " << int(r.frame.cmd);
            }
        }
        EXPECT_EQ(reads, 1);
        EXPECT_FALSE(lib.compare().lines().empty());
        EXPECT_EQ(lib.graph().picture().curves.size(), 2u);
    }
    EXPECT_TRUE(SameRecord(m.current, current));
    EXPECT_TRUE(SameRecord(m.lastSent, lastSent));
    EXPECT_TRUE(SameRecord(m.system, system));
    EXPECT_TRUE(SameRecord(m.lastSentSystem, lastSentSystem));
    EXPECT_EQ(history.UndoDepth(), depth);
    EXPECT_EQ(history.NextUndo(), newest);
    EXPECT_EQ(history.NextUndo()->after, newestAfter);
    EXPECT_FALSE(history.HasChanges());
    EXPECT_EQ(m.bank.Valid, bankValid);
    EXPECT_TRUE(f.state.requests.empty()) << "no bank export was offered";
    EXPECT_EQ(test::Grab(f.w->Page(PavoDlg::PageMusic)), page);
    EXPECT_GT(unit->ReceivedCount(), framesBefore);

    // The thumbnail of a program read comes from the worker.
    ASSERT_TRUE(test::WaitUntil([&] {
        return lib.model().index(4, 0).data(LibraryModel::CurvesRole).value<const void*>() != nullptr;
    }));
    for (uint8_t cmd : CommandsSince(*unit, framesBefore))
        EXPECT_TRUE(cmd == CmdReadPrograms || IsStatusPoll(cmd));
}

TEST(LibraryUnit, LoadingAProgramOfTheUnitRecallsIt) {
    test::PresetFolder dir;
    LibraryFixture f;
    auto unit = test::StartUnit();
    ASSERT_TRUE(Connect(f, *unit));
    LibraryWindow& lib = f.Open(dir.path());
    ASSERT_TRUE(lib.SelectUnitProgram(7));
    ASSERT_TRUE(test::WaitUntil([&] { return lib.UnitProgram(7) && lib.readingProgram() == 0; }));
    ASSERT_TRUE(test::WaitUntil([&] { return lib.loadButton().isEnabled(); }, 5000));
    QTest::mouseClick(&lib.loadButton(), Qt::LeftButton);
    ASSERT_TRUE(test::WaitUntil([&] {
        return SameRecord(f.model().current, unit->Unit().StoredProgram(7)) &&
               f.model().flags.transferPending.load() == 0 &&
               f.w->progress().mode() == Show_Dlg::Mode::Hidden;
    }));
    EXPECT_TRUE(SameRecord(unit->Unit().CurrentImage(), unit->Unit().StoredProgram(7)));
    EXPECT_EQ(f.model().system.ProgramNumber, 7);
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 1u);
    EXPECT_EQ(f.w->undo().UndoText(), "Undo: Recall Mode 7");
    ASSERT_TRUE(test::WaitUntil([&] { return lib.compare().lines().empty(); }, 5000));
}

}  // namespace
}  // namespace pavo
