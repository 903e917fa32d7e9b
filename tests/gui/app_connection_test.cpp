// The main window against the virtual unit on a pseudo-terminal: connecting, the full read, link
// failures, the next candidate after a silent port, and preset imports while on line.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/PresetCommands.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "model/DataConver.h"
#include "model/PresetFiles.h"
#include "platform/ControlId.h"
#include "protocol/CommandCodes.h"
#include "virtual_unit/UnitLine.h"

namespace pavo {
namespace {

using test::OnLineAndIdle;
using test::StartUnit;
using unit::UnitLine;
using unit::UnitOptions;

// A main window that tries exactly the given ports and connects at once.
std::unique_ptr<PavoDlg> MainWindowOn(std::vector<std::string> ports) {
    auto w = std::make_unique<PavoDlg>(StartOptions{});
    w->connection().SetPortLister([ports] { return ports; });
    w->progress().SetGraceTimes(50, 50);
    w->show();
    return w;
}

QString ExpectedLabel(UnitLine& u) {
    const SystemRecord s = u.Unit().System();
    const ProgramImage img = u.Unit().CurrentImage();
    const int n = s.ProgramNumber;
    const QString prefix = n <= 16 ? QStringLiteral("%1:").arg(n) : QStringLiteral("F%1:").arg(n - 16);
    return prefix + QString::fromStdString(TextFromBytes(img.ProgramName, kProgramNameLength));
}

TEST(Connection, StartUpConnectsReadsEverythingAndShowsTheProgram) {
    test::AppState state;
    auto u = StartUnit();
    auto w = MainWindowOn({u->DevicePath()});
    ASSERT_TRUE(test::WaitUntil([&] { return OnLineAndIdle(*w) && w->unit().model().flags.transferPending.load() == 0; }));
    // The lookup, then the full read: 22 names, the system record, the current program.
    // Status polls may go out while the window handles the lookup reply.
    std::vector<uint8_t> cmds;
    for (const auto& f : u->Received())
        if (f.frame.cmd != CmdStatusA && f.frame.cmd != CmdStatusB) cmds.push_back(f.frame.cmd);
    std::vector<uint8_t> expected{0x7F};
    expected.insert(expected.end(), 22, 0x80);
    expected.push_back(0x81);
    expected.push_back(0x82);
    ASSERT_GE(cmds.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(cmds.begin(), cmds.begin() + expected.size()), expected);
    EXPECT_EQ(w->progress().position(), 24);
    EXPECT_FALSE(w->progress().BlocksInput());
    EXPECT_EQ(w->connectButtonText(), "Disconnect");
    EXPECT_EQ(w->programLabelText(), ExpectedLabel(*u));
    EXPECT_TRUE(SameRecord(w->unit().model().system, u->Unit().System()));
    EXPECT_TRUE(SameRecord(w->unit().model().current, u->Unit().CurrentImage()));
    EXPECT_TRUE(state.boxes.isEmpty());

    QTest::mouseClick(DialogItemAs<QWidget>(&w->canvas(), PavoDlg::IDC_CONNECT), Qt::LeftButton);
    EXPECT_EQ(w->unit().model().flags.connected.load(), 0);
    EXPECT_EQ(w->connectButtonText(), "Connect");
    EXPECT_EQ(w->programLabelText(), "Off Line");
    EXPECT_TRUE(state.boxes.isEmpty());
}

TEST(Connection, NoPortAtAllShowsTheMessageAndStaysOffLine) {
    test::AppState state;
    auto w = MainWindowOn({});
    ASSERT_TRUE(test::WaitUntil([&] { return !state.boxes.isEmpty(); }));
    EXPECT_EQ(state.boxes, QStringList{"Unable to Open Device!"});
    EXPECT_EQ(w->unit().model().flags.connected.load(), 0);
    EXPECT_EQ(w->unit().model().flags.lookupPending.load(), 0);
    EXPECT_EQ(w->programLabelText(), "Off Line");
}

TEST(Connection, AnUnopenablePortAndASilentUnitAreSkippedForTheNextCandidate) {
    test::AppState state;
    UnitOptions silent;
    silent.silent = true;
    auto mute = StartUnit(silent);
    auto good = StartUnit();
    auto w = MainWindowOn({"/dev/pavo-no-such-port", mute->DevicePath(), good->DevicePath()});
    bool lookupShownThroughout = true;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            if (w->unit().model().flags.connected.load() && w->progress().endValue() != 24)
                lookupShownThroughout &= w->progress().isVisible();
            return OnLineAndIdle(*w);
        },
        40000));
    EXPECT_TRUE(lookupShownThroughout);
    EXPECT_EQ(mute->ReceivedCount(), 3u);  // the lookup, tried three times
    EXPECT_EQ(w->connection().currentPort(), good->DevicePath());
    EXPECT_TRUE(state.boxes.isEmpty());
    EXPECT_EQ(w->programLabelText(), ExpectedLabel(*good));
}

TEST(Connection, AnUnplugShowsTheMessageOnceAndGoesOffLine) {
    test::AppState state;
    auto u = StartUnit();
    auto w = MainWindowOn({u->DevicePath()});
    ASSERT_TRUE(test::WaitUntil([&] { return OnLineAndIdle(*w); }));
    u->Unplug();
    ASSERT_TRUE(test::WaitUntil([&] { return w->unit().model().flags.connected.load() == 0; }));
    test::WaitUntil([] { return false; }, 300);  // nothing more may arrive
    EXPECT_EQ(state.boxes, QStringList{"Unable to Open Device!"});
    EXPECT_EQ(w->programLabelText(), "Off Line: unplugged");
    EXPECT_EQ(w->connectButtonText(), "Connect");
}

TEST(Connection, ImportWhileOnLineSendsTheImageAndWaitsForTheAcknowledgement) {
    namespace fs = std::filesystem;
    test::AppState state;
    auto u = StartUnit();
    auto w = MainWindowOn({u->DevicePath()});
    ASSERT_TRUE(test::WaitUntil([&] { return OnLineAndIdle(*w); }));

    ProgramImage img = w->unit().model().current;
    BytesFromText(img.ProgramName, kProgramNameLength, "Imported");
    img.Mic12.Eq[5].GainCode = 190;
    const fs::path file = fs::temp_directory_path() / ("pavo-import-" + std::to_string(::getpid()) + ".dia");
    ASSERT_TRUE(WriteDia(file.string(), w->unit().model().system, img));
    state.nextFile = QString::fromStdString(file.string());

    bool sawWait = false;
    w->presets().ImportDia();
    sawWait = w->progress().mode() == Show_Dlg::Mode::Wait;
    EXPECT_TRUE(sawWait) << state.boxes.join(" | ").toStdString();
    EXPECT_TRUE(w->progress().BlocksInput());
    ASSERT_TRUE(test::WaitUntil([&] { return w->progress().mode() == Show_Dlg::Mode::Hidden; }));
    EXPECT_FALSE(w->progress().BlocksInput());
    EXPECT_EQ(w->unit().model().flags.transferPending.load(), 0);
    EXPECT_TRUE(SameRecord(u->Unit().CurrentImage(), w->unit().model().current));
    EXPECT_EQ(u->Unit().CurrentImage().Mic12.Eq[5].GainCode, 190);
    EXPECT_TRUE(w->programLabelText().endsWith("Imported"));
    fs::remove(file);
}

// A bank whose header names no stored program: the unit gets the bank, and keeps its program number.
TEST(Connection, BankImportWithoutAValidProgramNumberKeepsTheUnitsProgram) {
    namespace fs = std::filesystem;
    test::AppState state;
    auto u = StartUnit();
    auto w = MainWindowOn({u->DevicePath()});
    ASSERT_TRUE(test::WaitUntil([&] { return OnLineAndIdle(*w); }));
    const int before = w->unit().model().system.ProgramNumber;
    ASSERT_EQ(u->Unit().System().ProgramNumber, before);

    auto bank = std::make_unique<ProgramBank>();
    CopyRecord(bank->System, w->unit().model().system);
    bank->System.ProgramNumber = 0;  // no program (numbers above 21 are refused with the file)
    bank->System.MusicMax = 61;
    for (ProgramImage& p : bank->Programs) CopyRecord(p, w->unit().model().current);
    bank->Valid = 1;
    const fs::path file = fs::temp_directory_path() / ("pavo-import-" + std::to_string(::getpid()) + ".dat");
    ASSERT_TRUE(WriteDat(file.string(), *bank));
    state.nextFile = QString::fromStdString(file.string());
    w->presets().ImportBank();
    // 21 programs at the unit's pace, then the header as the system record.
    ASSERT_TRUE(test::WaitUntil([&] { return u->Unit().System().MusicMax == 61; }, 90000));
    EXPECT_EQ(u->Unit().System().ProgramNumber, before);
    EXPECT_EQ(w->unit().model().system.ProgramNumber, before);
    fs::remove(file);
}

}  // namespace
}  // namespace pavo
