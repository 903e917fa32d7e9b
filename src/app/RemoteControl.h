#pragma once
// The program's remote control: the web service for phones and tablets on the window's unit, off
// until the user turns it on (context menu "Remote control…"), loopback unless the user opens it to
// the network, on the port the user chose. The choices are kept between runs; the PIN is made afresh
// at each start.
//
// Edits from the service run on the UI thread (a blocking queued call with a time-out), so that each
// is one step of the window's undo history, named "Remote: <field>", and the pages show it at once.
#include <QString>
#include <atomic>
#include <memory>
#include <string>

#include "remote/RemoteExecutor.h"
#include "remote/RemoteService.h"

namespace pavo {

class PavoDlg;

class RemoteControl final : public remote::RemoteExecutor {
public:
    static constexpr int kDefaultPort = 8470;
    static constexpr int kFirstPort = 1024;  // below are the system's own services
    static constexpr int kLastPort = 65535;

    // With the choices of the last run (the service still off).
    explicit RemoteControl(PavoDlg& window);
    ~RemoteControl() override;

    // Starts the service when the user left it on at the last run.
    void StartAsSaved();

    bool Running() const { return service_ != nullptr; }
    bool OpenToNetwork() const { return network_; }
    int Port() const { return port_; }
    // Turns the service on or off, or moves it between loopback and the network (a restart, with a
    // new PIN); the choice is saved. False with `error` (in the user's language) when it cannot listen.
    bool Set(bool on, bool network, QString* error);
    // Chooses the port, kFirstPort..kLastPort (0: any free one, for tests), and saves it. A running
    // service moves there (a new PIN) only once the new port listens: when the port is taken, the
    // service stays where it was and the choice is not kept. False with `error` then.
    bool SetPort(int port, QString* error);
    remote::RemoteService* service() { return service_.get(); }

    remote::ExecResult Edit(Unit& unit, StepTag tag, const std::function<void()>& edit) override;
    remote::ExecResult Recall(Unit& unit, int program) override;

private:
    // Runs `fn` on the UI thread and waits for it; Unavailable when the UI thread does not take it
    // in time (a modal wait, a closing window), and then it never runs.
    remote::ExecResult OnUiThread(std::function<remote::ExecResult()> fn);
    bool Busy() const;
    // A service on `network` and `port`; null with `error` when it cannot listen.
    std::unique_ptr<remote::RemoteService> Start(bool network, int port, QString* error);

    PavoDlg& window_;
    std::unique_ptr<remote::RemoteService> service_;
    bool network_ = false;
    int port_ = kDefaultPort;
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace pavo
