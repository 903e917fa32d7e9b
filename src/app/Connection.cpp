#include "app/Connection.h"

#include <cstdio>

#include "app/PavoDlg.h"
#include "app/PresetCommands.h"
#include "app/Show_Dlg.h"
#include "model/Model.h"
#include "pages/PageDlg.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "protocol/Command.h"
#include "protocol/ProtocolHandler.h"
#include "protocol/SendLock.h"
#include "serial/PortEnumeration.h"
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
      handler_(std::make_unique<ProtocolHandler>(&main.sink())),
      port_(std::make_unique<SerialPort>()),
      lister_(&MachinePorts) {}

Connection::~Connection() {
    port_->ClosePort();
}

void Connection::ConnectOrDisconnect() {
    if (Flags().connected.load()) {
        Disconnect();
        return;
    }
    candidates_.clear();
    for (std::string& name : lister_())
        if (!name.empty()) candidates_.push_back(std::move(name));
    if (!candidates_.empty()) Flags().lookupPending = 1;
    if (OpenNextCandidate()) {
        Flags().lookupPending = 1;
        main_.progress().StartLookup();
        AcceptProgram(true);  // the unit's records replace ours on the full read; nothing to send until then
        StartLookupOnOpenPort();
        return;
    }
    Flags().lookupPending = 0;
    ShowUnableToOpen();
}

bool Connection::OpenNextCandidate() {
    while (!candidates_.empty()) {
        currentPort_ = candidates_.front();
        candidates_.pop_front();
        if (OpenCurrentPort()) return true;
    }
    return false;
}

int Connection::OpenCurrentPort() {
    constexpr int kOneStopBit = 0;
    const int ok = port_->OpenPort(&main_.sink(), "\\\\.\\" + currentPort_, 115200, 'N', 8, kOneStopBit,
                                   kEventRxChar | kEventCts, 115200);
    if (ok) {
        linkUp_ = true;
        Flags().connected = 1;
        SendLockGuard lock(SendLock());
        handler_->Clear();
    }
    return ok;
}

void Connection::StartLookupOnOpenPort() {
    {
        SendLockGuard lock(SendLock());
        QueueCommand(CmdLookup, 0);
    }
    port_->StartEngine();
}

void Connection::GoOffLine() {
    linkUp_ = false;
    Flags().connected = 0;
    Flags().transferPending = 0;
    main_.progress().EndWait();
    main_.UpdateStatus(true);
}

void Connection::Disconnect() {
    port_->ClosePort();
    GoOffLine();
    if (TheModel().pages.CurrentPage == PavoDlg::PageSystem) main_.SystemPage()->RefreshFromModel();
}

void Connection::ShowUnableToOpen() {
    ShowMessageBox(&main_, Bilingual("不能打开设备!", "Unable to Open Device!"));
}

void Connection::OnLinkFailed(LParam lookupFrame) {
    if (lookupFrame == 1) {
        // The unit on this port never answered the lookup: try the next candidate, dialog still up.
        port_->ClosePort();
        if (OpenNextCandidate()) {
            StartLookupOnOpenPort();
            return;
        }
        GoOffLine();
        ShowUnableToOpen();
        return;
    }
    if (!Flags().connected.load()) return;
    port_->ClosePort();
    GoOffLine();
    ShowUnableToOpen();
    if (TheModel().pages.CurrentPage == PavoDlg::PageSystem) main_.SystemPage()->RefreshFromModel();
}

void Connection::OnDeviceFound() {
    SendLockGuard lock(SendLock());
    QueueCommand(CmdReadNames, 0);
    SendDeviceCommand(CmdReadSystem, 0);
    SendDeviceCommand(CmdReadPrograms, 0);
    NumberQueueAndStartProgress();
}

void Connection::NumberQueueAndStartProgress() {
    SendLockGuard lock(SendLock());
    const int n = handler_->Count();
    for (int i = 0; i < n; ++i)
        if (SendData* item = handler_->Queue().At(i))
            item->Record()[outgoing::kSequence] = static_cast<uint8_t>(i + 1);
    main_.progress().StartProgress(n);
}

void Connection::SendDeviceCommand(unsigned command, unsigned argument) {
    Model& m = TheModel();
    if (Flags().connected.load()) {
        SendLockGuard lock(SendLock());
        QueueCommand(command, argument);
        if (command == CmdReadPrograms && argument != 0) {
            NumberQueueAndStartProgress();
        } else if (command == CmdRecall) {
            EditModel([&] { m.system.ProgramNumber = static_cast<uint8_t>(argument); });
        } else if (command == CmdStore) {
            if (argument != 0) EditModel([&] { m.system.ProgramNumber = static_cast<uint8_t>(argument); });
            main_.UpdateStatus(true);
        }
        if (Flags().transferPending.load()) main_.progress().StartWait();
        return;
    }
    // Off line nothing is sent; recall and reading all programs work on the bank instead.
    if (command == CmdRecall && m.bank.Valid && argument >= 1 && argument <= kProgramCount) {
        EditModel([&] {
            CopyRecord(m.current, m.bank.Programs[argument - 1]);
            m.system.ProgramNumber = static_cast<uint8_t>(argument);
        });
        AcceptProgram(false);
    } else if (command == CmdReadPrograms && argument != 0 && m.bank.Valid) {
        EditModel([&] { CopyRecord(m.bank.System, m.system); });
        main_.presets().ExportBank();
    }
}

void Connection::OnAllProgramsReceived() {
    Model& m = TheModel();
    {
        SendLockGuard lock(SendLock());
        EditModel([&] {
            CopyRecord(m.bank.System, m.system);
            m.bank.Valid = 1;
        });
    }
    main_.presets().ExportBank();
}

}  // namespace pavo
