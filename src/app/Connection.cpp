#include "app/Connection.h"

#include <cstdio>

#include "app/OfflineEdits.h"
#include "app/PavoDlg.h"
#include "app/PortWatch.h"
#include "app/PresetCommands.h"
#include "app/Show_Dlg.h"
#include "model/Model.h"
#include "pages/PageDlg.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "protocol/Command.h"
#include "protocol/ProtocolHandler.h"
#include "serial/PortEnumeration.h"
#include "serial/SerialLine.h"
#include "serial/SerialPort.h"

namespace pavo {

std::vector<std::string> MachinePorts() {
    std::vector<std::string> names;
    std::vector<PortInfo> ports;
    try {
        EnumerateSerialPorts(ports, false);
    } catch (const PortEnumerationError& e) {
        // No list: Connect then reports that no device could be opened.
        std::fprintf(stderr, "pavo: %s\n", e.what());
    }
    for (const PortInfo& p : ports) names.push_back(p.PortName);
    return names;
}

Connection::Connection(PavoDlg& main)
    : main_(main),
      port_(std::make_unique<SerialPort>(main.unit().handler(), &main.unit().events())),
      lister_(&MachinePorts),
      watch_(std::make_unique<PortWatch>([this] { OnPortBack(); })),
      edits_(std::make_unique<OfflineEdits>(main.unit().model())) {}

Model& Connection::model() const {
    return main_.unit().model();
}

ProtocolHandler& Connection::handler() {
    return main_.unit().handler();
}

Connection::~Connection() {
    port_->ClosePort();
}

void Connection::ConnectOrDisconnect() {
    if (model().flags.connected.load()) {
        Disconnect();
        return;
    }
    watch_->Stop();
    offLineReason_ = LinkFault::None;
    candidates_.clear();
    for (std::string& name : lister_())
        if (!name.empty()) candidates_.push_back(std::move(name));
    // The port the unit answered on last comes first: after a failure, one Connect reconnects.
    if (!lastPort_.empty()) {
        const std::string last = DevicePathFor(lastPort_);
        std::erase_if(candidates_, [&](const std::string& n) { return DevicePathFor(n) == last; });
        candidates_.push_front(lastPort_);
    }
    if (!candidates_.empty()) model().flags.lookupPending = 1;
    if (OpenNextCandidate()) {
        model().flags.lookupPending = 1;
        main_.progress().StartLookup();
        edits_->TakeSnapshot();  // what the user has, before the unit's records replace it
        AcceptProgram(model(), true);  // the unit's records replace ours on the full read; nothing to send until then
        StartLookupOnOpenPort();
        return;
    }
    model().flags.lookupPending = 0;
    main_.UpdateStatus(true);  // the reason, if a port said one
    ShowUnableToOpen();
}

// Of the reasons met while trying the candidates, the one that tells the user most.
void Connection::NoteFault(LinkFault fault) {
    auto rank = [](LinkFault f) {
        switch (f) {
            case LinkFault::PortBusy:
                return 4;
            case LinkFault::NoAccess:
                return 3;
            case LinkFault::NoAnswer:
                return 2;
            case LinkFault::Unplugged:
                return 1;
            default:
                return 0;
        }
    };
    if (rank(fault) > rank(offLineReason_)) offLineReason_ = fault;
}

QString Connection::OffLineText() const {
    switch (offLineReason_) {
        case LinkFault::Unplugged:
            return Bilingual("脱机：设备已拔出", "Off Line: unplugged");
        case LinkFault::NoAnswer:
            return Bilingual("脱机：设备无应答", "Off Line: no answer");
        case LinkFault::PortBusy:
            return Bilingual("脱机：端口被占用", "Off Line: port busy");
        case LinkFault::NoAccess:
            return Bilingual("脱机：无权访问端口", "Off Line: no access");
        default:
            return Bilingual("脱机", "Off Line");
    }
}

bool Connection::OpenNextCandidate() {
    while (!candidates_.empty()) {
        currentPort_ = candidates_.front();
        candidates_.pop_front();
        if (OpenCurrentPort()) return true;
        NoteFault(port_->Fault());
    }
    return false;
}

int Connection::OpenCurrentPort() {
    constexpr int kOneStopBit = 0;
    const bool ok = !port_->OpenPort("\\\\.\\" + currentPort_, 115200, 'N', 8, kOneStopBit,
                                     kEventRxChar | kEventCts, 115200);
    if (ok) {
        linkUp_ = true;
        model().flags.connected = 1;
        SendLockGuard lock(handler().SendLock());
        handler().Clear();
    }
    return ok;
}

void Connection::StartLookupOnOpenPort() {
    {
        SendLockGuard lock(handler().SendLock());
        handler().QueueCommand(CmdLookup, 0);
    }
    port_->StartEngine();
}

void Connection::GoOffLine() {
    linkUp_ = false;
    model().flags.connected = 0;
    model().flags.transferPending = 0;
    readingUnit_ = false;
    if (!asking_) {
        if (inSync_) {
            edits_->TakeBaselineFromSent();
        } else if (edits_->HasSnapshot()) {
            // The read did not complete: what came of it must not replace the user's records.
            edits_->RestoreSnapshot();
            main_.RefreshCurrentPage();
        }
        edits_->DropSnapshot();
    } else {
        edits_->TakeBaselineFromSent();  // the question stays open and keeps the snapshot
    }
    inSync_ = false;
    main_.progress().EndWait();
    main_.UpdateStatus(true);
}

void Connection::Disconnect() {
    port_->ClosePort();
    offLineReason_ = LinkFault::None;
    GoOffLine();
    if (model().pages.CurrentPage == PavoDlg::PageSystem) main_.SystemPage()->RefreshFromModel();
}

void Connection::ShowUnableToOpen() {
    ShowMessageBox(&main_, Bilingual("不能打开设备!", "Unable to Open Device!"));
}

void Connection::OnLinkFailed(bool lookupFrame) {
    if (lookupFrame) {
        // The unit on this port never answered the lookup: try the next candidate, dialog still up.
        port_->ClosePort();
        NoteFault(port_->Fault());
        if (OpenNextCandidate()) {
            StartLookupOnOpenPort();
            return;
        }
        GoOffLine();
        ShowUnableToOpen();
        return;
    }
    if (!model().flags.connected.load()) return;
    port_->ClosePort();
    offLineReason_ = port_->Fault();
    GoOffLine();
    // An adapter that was pulled out may come back: watch its device from now on, while its node is
    // gone, so that a return during the message below is seen too; the offer waits for the message.
    if (offLineReason_ == LinkFault::Unplugged) watch_->Start(DevicePathFor(currentPort_));
    ShowUnableToOpen();
    if (model().pages.CurrentPage == PavoDlg::PageSystem) main_.SystemPage()->RefreshFromModel();
}

void Connection::OnPortBack() {
    if (model().flags.connected.load()) return;
    const QString port = QString::fromStdString(currentPort_);
    const QString text = UiIsChinese() ? QString::fromUtf8("设备 %1 已重新接入。\n是否重新联机？").arg(port)
                                       : QStringLiteral("The device %1 is back.\nConnect again?").arg(port);
    if (ShowMessageBox(&main_, text, {}, BoxYesNo) == ResultYes && !model().flags.connected.load())
        ConnectOrDisconnect();
}

void Connection::OnDeviceFound() {
    lastPort_ = currentPort_;
    readingUnit_ = true;
    SendLockGuard lock(handler().SendLock());
    handler().QueueCommand(CmdReadNames, 0);
    SendDeviceCommand(CmdReadSystem, 0);
    SendDeviceCommand(CmdReadPrograms, 0);
    NumberQueueAndStartProgress();
}

// The full read's current program has been shown: the program is in step with the unit, unless the
// user edited something off line that the unit does not have.
void Connection::OnProgramReceived() {
    if (!readingUnit_) return;
    readingUnit_ = false;
    inSync_ = true;
    if (edits_->UnitDiffers()) OfferOffLineEdits();
    edits_->DropSnapshot();
}

void Connection::OfferOffLineEdits() {
    const QString text = Bilingual(
        "设备中的程序与脱机编辑的程序不同。\n\n"
        "是否将编辑的程序发送到设备？\n"
        "选“否”保留设备的程序，放弃脱机编辑。",
        "The unit's program differs from the one edited off line.\n\n"
        "Send the edited program to the unit?\n"
        "No keeps the unit's program and drops the off-line edits.");
    asking_ = true;
    const bool send = ShowMessageBox(&main_, text, {}, BoxYesNo) == ResultYes;
    asking_ = false;
    if (!send) return;
    // As a .dia import: the image goes out whole, acknowledged; the system settings edited off line
    // follow through the change scan. Should the link have ended meanwhile, the edits are back in the
    // model and will be offered again at the next connection.
    SendLockGuard lock(handler().SendLock());
    const bool sendImage = edits_->RestoreEdits();
    main_.RefreshCurrentPage();
    main_.ClampMusicLevel();
    main_.ClampMicLevel();
    main_.ClampEffectLevel();
    main_.UpdateStatus(true);
    if (sendImage && model().flags.connected.load()) SendDeviceCommand(CmdSendPrograms, 0);
}

void Connection::NumberQueueAndStartProgress() {
    SendLockGuard lock(handler().SendLock());
    const int n = handler().Count();
    for (int i = 0; i < n; ++i)
        if (SendData* item = handler().Queue().At(i))
            item->Record()[outgoing::kSequence] = static_cast<uint8_t>(i + 1);
    main_.progress().StartProgress(n);
}

void Connection::SendDeviceCommand(unsigned command, unsigned argument) {
    Model& m = model();
    if (model().flags.connected.load()) {
        SendLockGuard lock(handler().SendLock());
        handler().QueueCommand(command, argument);
        if (command == CmdReadPrograms && argument != 0) {
            NumberQueueAndStartProgress();
        } else if (command == CmdRecall) {
            m.Edit([&] { m.system.ProgramNumber = static_cast<uint8_t>(argument); });
        } else if (command == CmdStore) {
            if (argument != 0) m.Edit([&] { m.system.ProgramNumber = static_cast<uint8_t>(argument); });
            main_.UpdateStatus(true);
        }
        if (model().flags.transferPending.load()) main_.progress().StartWait();
        return;
    }
    // Off line nothing is sent; recall and reading all programs work on the bank instead.
    if (command == CmdRecall && m.bank.Valid && argument >= 1 && argument <= kProgramCount) {
        m.Edit([&] {
            CopyRecord(m.current, m.bank.Programs[argument - 1]);
            m.system.ProgramNumber = static_cast<uint8_t>(argument);
        });
        AcceptProgram(m, false);
    } else if (command == CmdReadPrograms && argument != 0 && m.bank.Valid) {
        m.Edit([&] { CopyRecord(m.bank.System, m.system); });
        main_.presets().ExportBank();
    }
}

void Connection::OnAllProgramsReceived() {
    Model& m = model();
    {
        SendLockGuard lock(handler().SendLock());
        m.Edit([&] {
            CopyRecord(m.bank.System, m.system);
            m.bank.Valid = 1;
        });
    }
    main_.presets().ExportBank();
}

}  // namespace pavo
