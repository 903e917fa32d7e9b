#pragma once
// Bringing the program on line: the candidate ports, opening one, the device lookup and its retry on
// the next candidate, the full read, link failures, the device-command wrapper and bank completion.
// Runs on the UI thread; the serial engine reports back through the main window's messages.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinMessage.h"

namespace pavo {

class PavoDlg;
class ProtocolHandler;
class SerialPort;

class Connection {
public:
    // Lists the ports to try, in order (names or device paths). Tests replace it.
    using PortLister = std::function<std::vector<std::string>()>;

    explicit Connection(PavoDlg& main);
    ~Connection();

    void SetPortLister(PortLister lister) { lister_ = std::move(lister); }

    void ConnectOrDisconnect();
    void Disconnect();
    void OnLinkFailed(LParam lookupFrame);
    void OnDeviceFound();          // the full read
    void OnAllProgramsReceived();  // bank completion
    void SendDeviceCommand(unsigned command, unsigned argument);
    void NumberQueueAndStartProgress();

    ProtocolHandler& handler() { return *handler_; }
    SerialPort& port() { return *port_; }
    const std::string& currentPort() const { return currentPort_; }
    size_t candidatesLeft() const { return candidates_.size(); }
    bool linkUp() const { return linkUp_; }

private:
    int OpenCurrentPort();
    bool OpenNextCandidate();
    void StartLookupOnOpenPort();
    void GoOffLine();
    void ShowUnableToOpen();

    PavoDlg& main_;
    std::unique_ptr<ProtocolHandler> handler_;
    std::unique_ptr<SerialPort> port_;
    PortLister lister_;
    std::deque<std::string> candidates_;
    std::string currentPort_;
    bool linkUp_ = false;
};

// The machine's serial ports as Connect tries them.
std::vector<std::string> MachinePorts();

}  // namespace pavo
