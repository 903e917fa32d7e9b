#include "app/RemoteControl.h"

#include <QMetaObject>
#include <QSettings>
#include <QThread>
#include <future>

#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app/UndoGestures.h"
#include "platform/Language.h"
#include "platform/SettingsFile.h"
#include "protocol/CommandCodes.h"
#include "remote/RemoteOptions.h"
#include "unit/Unit.h"

namespace pavo {

namespace {

constexpr char kOnKey[] = "remote/on";
constexpr char kNetworkKey[] = "remote/network";
constexpr char kPortKey[] = "remote/port";
// Long enough for a busy window, short enough that a phone is told before its user gives up.
constexpr auto kUiWait = std::chrono::seconds(3);

bool PortAllowed(int port) {
    return port == 0 || (port >= RemoteControl::kFirstPort && port <= RemoteControl::kLastPort);
}

}  // namespace

RemoteControl::RemoteControl(PavoDlg& window) : window_(window) {
    QSettings settings = ProgramSettings();
    network_ = settings.value(kNetworkKey, false).toBool();
    port_ = settings.value(kPortKey, kDefaultPort).toInt();
    if (!PortAllowed(port_)) port_ = kDefaultPort;
}

RemoteControl::~RemoteControl() {
    alive_->store(false);
    service_.reset();  // its threads wait in OnUiThread at most kUiWait
}

void RemoteControl::StartAsSaved() {
    if (ProgramSettings().value(kOnKey, false).toBool()) {
        QString error;
        if (!Set(true, network_, &error))
            std::fprintf(stderr, "pavo: remote control: %s\n", qPrintable(error));
    }
}

bool RemoteControl::Set(bool on, bool network, QString* error) {
    QSettings settings = ProgramSettings();
    settings.setValue(kNetworkKey, network);
    if (on && service_ && network == network_) {
        settings.setValue(kOnKey, true);
        return true;
    }
    service_.reset();
    network_ = network;
    if (!on) {
        settings.setValue(kOnKey, false);
        return true;
    }
    service_ = Start(network, port_, error);
    settings.setValue(kOnKey, service_ != nullptr);
    return service_ != nullptr;
}

bool RemoteControl::SetPort(int port, QString* error) {
    if (!PortAllowed(port)) {
        if (error)
            *error = Bilingual("端口必须在 %1 到 %2 之间。", "The port must be from %1 to %2.")
                         .arg(kFirstPort)
                         .arg(kLastPort);
        return false;
    }
    if (port == port_) return true;
    if (service_) {
        // The new one listens before the old one goes: a taken port leaves the phones their service.
        auto moved = Start(network_, port, error);
        if (!moved) return false;
        service_ = std::move(moved);
    }
    port_ = port;
    ProgramSettings().setValue(kPortKey, port);
    return true;
}

std::unique_ptr<remote::RemoteService> RemoteControl::Start(bool network, int port, QString* error) {
    remote::RemoteOptions options;
    options.address = network ? "0.0.0.0" : "127.0.0.1";
    options.port = port;
    remote::StartError why;
    auto service = remote::StartRemoteService({{&window_.unit(), "unit"}}, options, this, &why);
    if (!service && error) {
        if (why.kind == remote::StartError::Kind::PortInUse)
            *error = Bilingual("端口 %1 已被其他程序占用，请换一个端口。",
                               "Port %1 is in use by another program; choose another port.")
                         .arg(port);
        else
            *error = Bilingual("无法开启：", "Cannot turn it on: ") + QString::fromStdString(why.text);
    }
    return service;
}

bool RemoteControl::Busy() const {
    return remote::TransferRunning(window_.unit()) || window_.progress().mode() != Show_Dlg::Mode::Hidden;
}

remote::ExecResult RemoteControl::OnUiThread(std::function<remote::ExecResult()> fn) {
    if (QThread::currentThread() == window_.thread()) return fn();
    // 0 waiting, 1 running or done, 2 given up: whichever of the two sides comes first decides.
    auto state = std::make_shared<std::atomic<int>>(0);
    auto result = std::make_shared<std::promise<remote::ExecResult>>();
    std::future<remote::ExecResult> answer = result->get_future();
    QMetaObject::invokeMethod(
        &window_,
        [state, result, fn = std::move(fn), alive = alive_] {
            int waiting = 0;
            if (!alive->load() || !state->compare_exchange_strong(waiting, 1)) return;
            result->set_value(fn());
        },
        Qt::QueuedConnection);
    if (answer.wait_for(kUiWait) == std::future_status::ready) return answer.get();
    int waiting = 0;
    if (state->compare_exchange_strong(waiting, 2)) return remote::ExecResult::Unavailable;
    return answer.get();  // it began just now: it ends soon
}

remote::ExecResult RemoteControl::Edit(Unit& unit, StepTag tag, const std::function<void()>& edit) {
    return OnUiThread([&] {
        // Under the send lock: no batch can be queued between the check and the edit. A command batch
        // still queued (a recall, a store) holds the unit as well.
        const bool done = unit.handler().WithSendLock(
            [&] { return !remote::TransferRunning(unit) && window_.undo().RunAsStep(tag, edit); });
        return done ? remote::ExecResult::Done : remote::ExecResult::Busy;
    });
}

remote::ExecResult RemoteControl::Recall(Unit&, int program) {
    return OnUiThread([&] {
        if (!window_.Connected()) return remote::ExecResult::OffLine;
        if (Busy()) return remote::ExecResult::Busy;
        window_.SendDeviceCommand(CmdRecall, static_cast<unsigned>(program));
        window_.UpdateStatus(true);
        return remote::ExecResult::Done;
    });
}

}  // namespace pavo
