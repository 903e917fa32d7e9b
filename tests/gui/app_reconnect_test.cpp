// The main window in the field: the off-line status says why, the unit's port coming back after an
// unplug is offered for reconnection, and edits made while off line survive the full read that
// follows. The unit sits behind a symbolic link that the test removes and re-points, as a USB
// adapter's device node goes and comes back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTest>
#include <filesystem>
#include <functional>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/PortWatch.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "model/DataConver.h"
#include "platform/ControlId.h"
#include "serial/SerialLine.h"
#include "virtual_unit/UnitLine.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo {
namespace {

namespace fs = std::filesystem;
using test::OnLineAndIdle;
using test::StartUnit;
using test::WaitUntil;
using unit::UnitLine;

const QString kUnableToOpen = "Unable to Open Device!";

bool IsReconnectOffer(const QString& text) {
    return text.contains("is back");
}
bool IsEditsQuestion(const QString& text) {
    return text.contains("edited off line");
}

// A device node that the test can take away and bring back: a symbolic link in a private folder.
class DeviceNode {
public:
    DeviceNode() : dir_(fs::temp_directory_path() / ("pavo-node-" + std::to_string(::getpid()))) {
        fs::create_directories(dir_);
        path_ = (dir_ / "ttyPAVO0").string();
    }
    ~DeviceNode() { fs::remove_all(dir_); }
    void PointTo(const std::string& device) {
        Remove();
        fs::create_symlink(device, path_);
    }
    void Remove() { fs::remove(path_); }
    const std::string& Path() const { return path_; }

private:
    fs::path dir_;
    std::string path_;
};

// Message boxes answered as a user would: Yes or No to the questions, OK to the rest.
class Answers {
public:
    explicit Answers(test::AppState& state) : state_(state) {
        old_ = SetMessageBoxPresenter([this](const MessageBoxRequest& r) {
            state_.boxes.push_back(r.text);
            if (IsReconnectOffer(r.text)) return int(reconnect ? ResultYes : ResultNo);
            if (IsEditsQuestion(r.text)) return int(sendEdits ? ResultYes : ResultNo);
            if (r.text == kUnableToOpen && whileUnableIsShown) whileUnableIsShown();
            return int(ResultOk);
        });
    }
    ~Answers() { SetMessageBoxPresenter(old_); }
    bool reconnect = true;
    bool sendEdits = true;
    std::function<void()> whileUnableIsShown;

private:
    test::AppState& state_;
    MessageBoxPresenter old_;
};

std::unique_ptr<PavoDlg> MainWindowOn(const std::string& port) {
    auto w = std::make_unique<PavoDlg>(StartOptions{});
    w->connection().SetPortLister([port] { return std::vector<std::string>{port}; });
    w->connection().portWatch().SetInterval(50);
    w->progress().SetGraceTimes(50, 50);
    w->show();
    return w;
}

// Pulls the unit's cable: its side closes and its node goes, before the window hears of it.
// The program on line with the unit, reached through the node's path (which can be unplugged).
std::unique_ptr<PavoDlg> OnLineThrough(DeviceNode& node, UnitLine& u) {
    node.PointTo(u.DevicePath());
    auto w = MainWindowOn(node.Path());
    EXPECT_TRUE(WaitUntil([&] { return OnLineAndIdle(*w); }));
    return w;
}

void Unplug(UnitLine& u, DeviceNode& node) {
    u.Unplug();
    node.Remove();
}

TEST(Reconnect, TheOffLineStatusSaysWhy) {
    struct Case {
        const char* name;
        unit::UnitOptions options;
        bool holdPort;      // another program has the port open
        bool unplugOnLine;  // on line first, then the cable is pulled
        bool disconnect;    // on line first, then the user disconnects
        const char* english;
        const char* chinese;
    };
    unit::UnitOptions silent;
    silent.silent = true;
    const Case cases[] = {
        {"no answer to the lookup", silent, false, false, false, "Off Line: no answer", "脱机：设备无应答"},
        {"port held by another program", {}, true, false, false, "Off Line: port busy", "脱机：端口被占用"},
        {"cable pulled while on line", {}, false, true, false, "Off Line: unplugged", "脱机：设备已拔出"},
        {"the user disconnects", {}, false, false, true, "Off Line", "脱机"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::AppState state;
        DeviceNode node;
        auto u = StartUnit(c.options);
        node.PointTo(u->DevicePath());
        SerialLine other;
        if (c.holdPort) {
            ASSERT_TRUE(other.Open(node.Path()));
        }
        auto w = MainWindowOn(node.Path());
        if (c.unplugOnLine || c.disconnect) {
            ASSERT_TRUE(WaitUntil([&] { return OnLineAndIdle(*w); }));
            if (c.unplugOnLine) Unplug(*u, node);
            if (c.disconnect)
                QTest::mouseClick(DialogItemAs<QWidget>(&w->canvas(), PavoDlg::IDC_CONNECT), Qt::LeftButton);
        }
        if (!c.disconnect) {
            ASSERT_TRUE(WaitUntil([&] { return !w->unit().model().flags.connected.load() && !state.boxes.isEmpty(); }));
        }
        EXPECT_EQ(w->programLabelText(), c.english);
        EXPECT_EQ(w->connectButtonText(), "Connect");
        EXPECT_EQ(state.boxes, c.disconnect ? QStringList{} : QStringList{kUnableToOpen});
        // The reason follows a language switch.
        QTest::mouseClick(DialogItemAs<QWidget>(&w->canvas(), PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
        EXPECT_EQ(w->programLabelText(), QString::fromUtf8(c.chinese));
    }
}

TEST(Reconnect, ConnectAfterAFailureTriesTheUnitsPortFirst) {
    test::AppState state;
    unit::UnitOptions silent;
    silent.silent = true;
    auto other = StartUnit(silent);
    auto u = StartUnit();
    // The machine lists a silent port before the unit's.
    auto w = std::make_unique<PavoDlg>(StartOptions{});
    w->connection().SetPortLister([&] {
        return std::vector<std::string>{other->DevicePath(), u->DevicePath()};
    });
    w->progress().SetGraceTimes(50, 50);
    w->show();
    ASSERT_TRUE(WaitUntil([&] { return OnLineAndIdle(*w); }, 40000));
    const size_t silentFrames = other->ReceivedCount();
    QTest::mouseClick(DialogItemAs<QWidget>(&w->canvas(), PavoDlg::IDC_CONNECT), Qt::LeftButton);
    ASSERT_EQ(w->unit().model().flags.connected.load(), 0);
    // One click brings it back, without another lookup on the silent port.
    QTest::mouseClick(DialogItemAs<QWidget>(&w->canvas(), PavoDlg::IDC_CONNECT), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return OnLineAndIdle(*w); }));
    EXPECT_EQ(w->connection().currentPort(), u->DevicePath());
    EXPECT_EQ(other->ReceivedCount(), silentFrames);
}

// The unit comes back with a program of its own and a setting changed on its panel; meanwhile the
// user edited an EQ band and the microphone master level off line.
TEST(Reconnect, UnplugAndReturnOffersReconnectAndTheOffLineEditsAreKeptOrSent) {
    struct Case {
        const char* name;
        bool edit;       // the user edits off line
        bool sendEdits;  // the answer to the question
    };
    const Case cases[] = {
        {"edits sent", true, true},
        {"unit's program kept", true, false},
        {"no edits: nothing to ask", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::AppState state;
        Answers answers(state);
        answers.sendEdits = c.sendEdits;
        DeviceNode node;
        auto first = StartUnit();
        auto w = OnLineThrough(node, *first);

        Unplug(*first, node);
        ASSERT_TRUE(WaitUntil([&] { return w->unit().model().flags.connected.load() == 0; }));
        EXPECT_EQ(w->programLabelText(), "Off Line: unplugged");
        EXPECT_TRUE(w->connection().portWatch().Watching());
        test::WaitUntil([] { return false; }, 200);
        EXPECT_EQ(state.boxes, QStringList{kUnableToOpen});  // nothing offered while the node is gone

        ProgramImage edited = w->unit().model().current;
        if (c.edit) {
            edited.Mic12.Eq[3].GainCode = 150;
            edited.Mic12.Eq[3].BandType = BandHighShelf;
            test::Edit(w->unit(), [&](Model& m) {
                CopyRecord(m.current, edited);
                m.system.MicMaster = 40;
            });
            w->RefreshCurrentPage();
        }

        auto second = StartUnit();
        SystemRecord unitSystem = second->Unit().System();
        unitSystem.ProgramNumber = 4;
        unitSystem.MusicMax = 70;  // changed on the unit's panel meanwhile
        second->Unit().SetSystem(unitSystem);
        second->Unit().SetCurrentImage(unit::FactoryProgram(4));
        node.PointTo(second->DevicePath());

        ASSERT_TRUE(WaitUntil([&] { return OnLineAndIdle(*w) && w->unit().model().flags.transferPending.load() == 0; }));
        ASSERT_GE(state.boxes.size(), 2);
        EXPECT_TRUE(IsReconnectOffer(state.boxes[1]));
        EXPECT_TRUE(state.boxes[1].contains(QString::fromStdString(node.Path())));
        EXPECT_EQ(state.boxes.size(), c.edit ? 3 : 2);
        if (c.edit) {
            EXPECT_TRUE(IsEditsQuestion(state.boxes[2]));
        }

        if (c.sendEdits) {
            // The edited image went out whole; the edited setting through the change scan.
            ASSERT_TRUE(WaitUntil([&] { return second->Unit().System().MicMaster == 40; }));
            EXPECT_TRUE(SameRecord(second->Unit().CurrentImage(), edited));
            EXPECT_TRUE(SameRecord(w->unit().model().current, edited));
            EXPECT_EQ(w->unit().model().system.MusicMax, 70);  // the unit's own change stays
            EXPECT_EQ(second->Unit().System().MusicMax, 70);
            EXPECT_EQ(w->unit().model().system.ProgramNumber, 4);
            EXPECT_TRUE(w->programLabelText().startsWith("4:"));
        } else {
            EXPECT_TRUE(SameRecord(w->unit().model().current, unit::FactoryProgram(4)));
            EXPECT_TRUE(SameRecord(w->unit().model().system, unitSystem));
            EXPECT_TRUE(SameRecord(second->Unit().CurrentImage(), unit::FactoryProgram(4)));
        }
        EXPECT_FALSE(w->connection().portWatch().Watching());
    }
}

TEST(Reconnect, DecliningTheOfferKeepsTheProgramOffLine) {
    test::AppState state;
    Answers answers(state);
    answers.reconnect = false;
    DeviceNode node;
    auto first = StartUnit();
    auto w = OnLineThrough(node, *first);
    Unplug(*first, node);
    ASSERT_TRUE(WaitUntil([&] { return w->unit().model().flags.connected.load() == 0; }));
    auto second = StartUnit();
    node.PointTo(second->DevicePath());
    ASSERT_TRUE(WaitUntil([&] { return state.boxes.size() == 2; }));
    EXPECT_TRUE(IsReconnectOffer(state.boxes[1]));
    test::WaitUntil([] { return false; }, 300);
    EXPECT_EQ(w->unit().model().flags.connected.load(), 0);
    EXPECT_EQ(state.boxes.size(), 2);  // asked once
    EXPECT_FALSE(w->connection().portWatch().Watching());
    EXPECT_EQ(second->ReceivedCount(), 0u);
}

// The user plugs the adapter back in before closing the message about the failure: the port is
// still offered.
TEST(Reconnect, APortBackBeforeTheMessageIsClosedIsOfferedToo) {
    test::AppState state;
    Answers answers(state);
    DeviceNode node;
    auto first = StartUnit();
    auto w = OnLineThrough(node, *first);
    std::unique_ptr<UnitLine> second;
    answers.whileUnableIsShown = [&] {
        second = StartUnit();
        node.PointTo(second->DevicePath());
    };
    Unplug(*first, node);
    ASSERT_TRUE(WaitUntil([&] { return second && OnLineAndIdle(*w); }));
    ASSERT_EQ(state.boxes.size(), 2);
    EXPECT_TRUE(IsReconnectOffer(state.boxes[1]));
    EXPECT_TRUE(SameRecord(w->unit().model().current, second->Unit().CurrentImage()));
}

// The link ends in the middle of the full read, after the unit's system record has replaced the
// model's: the user's records come back as they were.
TEST(Reconnect, AReadThatBreaksOffLeavesTheUsersRecords) {
    test::AppState state;
    // The lookup, 22 names and the system record are answered; the program request pulls the cable.
    unit::UnitOptions unplugging;
    unplugging.unplugAfter = 25;
    auto u = StartUnit(unplugging);
    auto w = MainWindowOn(u->DevicePath());
    // Edited before the connection attempt, which the window has only posted so far.
    test::Edit(w->unit(), [](Model& m) {
        m.current.Mic12.Eq[3].GainCode = 150;
        m.system.MicMaster = 40;
    });
    const ProgramImage image = w->unit().model().current;
    const SystemRecord system = w->unit().model().system;
    ASSERT_TRUE(WaitUntil([&] { return w->unit().model().flags.connected.load() == 0 && !state.boxes.isEmpty(); }));
    ASSERT_FALSE(SameRecord(u->Unit().System(), system));
    EXPECT_TRUE(SameRecord(w->unit().model().current, image));
    EXPECT_TRUE(SameRecord(w->unit().model().system, system));
    EXPECT_EQ(w->programLabelText(), "Off Line: unplugged");
}

}  // namespace
}  // namespace pavo
