#pragma once
// The unit's events, handed to the main window's thread: each report from the engine's thread
// becomes a queued call of the window's handler, in the order the reports came. The window removes
// this listener from its unit before it goes, so no call can outlive it.
#include "unit/UnitEvents.h"

namespace pavo {

class PavoDlg;

class WindowEvents : public UnitEvents {
public:
    explicit WindowEvents(PavoDlg& window) : window_(window) {}

    void DeviceFound() override;
    void SystemReceived() override;
    void ProgramReceived(ProgramSource source) override;
    void AllProgramsReceived() override;
    void StatusReceived(StatusArea area) override;
    void WrongProgramNumber(int received, int requested) override;
    void LinkFailed(const PortError& error, bool lookupFrame) override;
    void ProgressPosition(int sequence) override;
    void PortWarning(const PortError& error, int portNumber) override;

private:
    template <class Fn>
    void Queue(Fn fn);

    PavoDlg& window_;
};

}  // namespace pavo
