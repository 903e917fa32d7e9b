#pragma once
// The program's remote control: the web service for phones and tablets on the window's unit, off
// until the user turns it on (context menu "Remote control…"), loopback unless the user opens it to
// the network. Both choices are kept between runs; the PIN is made afresh at each start.
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
    explicit RemoteControl(PavoDlg& window);
    ~RemoteControl() override;

    // Starts the service when the user left it on at the last run.
    void StartAsSaved();

    bool Running() const { return service_ != nullptr; }
    bool OpenToNetwork() const { return network_; }
    // Turns the service on or off, or moves it between loopback and the network (a restart, with a
    // new PIN); the choice is saved. False with `error` when it cannot listen.
    bool Set(bool on, bool network, QString* error);
    remote::RemoteService* service() { return service_.get(); }

    // The port the service listens on (the default one; tests choose 0 for any free port).
    void SetPort(int port) { port_ = port; }

    remote::ExecResult Edit(Unit& unit, StepTag tag, const std::function<void()>& edit) override;
    remote::ExecResult Recall(Unit& unit, int program) override;

private:
    // Runs `fn` on the UI thread and waits for it; Unavailable when the UI thread does not take it
    // in time (a modal wait, a closing window), and then it never runs.
    remote::ExecResult OnUiThread(std::function<remote::ExecResult()> fn);
    bool Busy() const;

    PavoDlg& window_;
    std::unique_ptr<remote::RemoteService> service_;
    bool network_ = false;
    int port_;
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace pavo
