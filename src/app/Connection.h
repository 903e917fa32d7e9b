#pragma once
// Bringing the program on line: the candidate ports, opening one, the device lookup and its retry on
// the next candidate, the full read, link failures, the device-command wrapper and bank completion.
// Runs on the UI thread; the serial engine reports back through the main window's messages.
//
// In the field: the off-line status says why the link ended (unplugged, no answer, port busy, no
// access); Connect tries the port that was last on line first; after an unplug the port is watched
// and, when it is back, the user is offered to reconnect. Edits made while off line survive the full
// read: if the unit's records differ from them, the user keeps the unit's or sends the edited ones.
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinMessage.h"
#include "serial/SerialPort.h"

namespace pavo {

class OfflineEdits;
class PavoDlg;
class PortWatch;
class ProtocolHandler;
struct Model;

class Connection {
public:
    // Lists the ports to try, in order (names or device paths). Tests replace it.
    using PortLister = std::function<std::vector<std::string>()>;

    explicit Connection(PavoDlg& main);
    ~Connection();

    void SetPortLister(PortLister lister) { lister_ = std::move(lister); }

    void ConnectOrDisconnect();
    void Disconnect();
    // The engine gave the link up; `lookupFrame`: the unanswered frame was the device lookup.
    void OnLinkFailed(bool lookupFrame);
    void OnDeviceFound();          // the full read
    void OnProgramReceived();      // after the main window has shown a received current program
    void OnAllProgramsReceived();  // bank completion
    void SendDeviceCommand(unsigned command, unsigned argument);
    void NumberQueueAndStartProgress();

    ProtocolHandler& handler();
    SerialPort& port() { return *port_; }
    const std::string& currentPort() const { return currentPort_; }
    size_t candidatesLeft() const { return candidates_.size(); }
    bool linkUp() const { return linkUp_; }
    // Why the program is off line (None after a Disconnect, or before any attempt), and the
    // program label's text for it.
    LinkFault offLineReason() const { return offLineReason_; }
    QString OffLineText() const;
    PortWatch& portWatch() { return *watch_; }

private:
    int OpenCurrentPort();
    bool OpenNextCandidate();
    void StartLookupOnOpenPort();
    void GoOffLine();
    void ShowUnableToOpen();
    void NoteFault(LinkFault fault);
    void OnPortBack();
    void OfferOffLineEdits();

    Model& model() const;

    PavoDlg& main_;
    std::unique_ptr<SerialPort> port_;
    PortLister lister_;
    std::deque<std::string> candidates_;
    std::string currentPort_;
    std::string lastPort_;  // where the unit answered last
    bool linkUp_ = false;
    LinkFault offLineReason_ = LinkFault::None;
    bool readingUnit_ = false;  // the full read runs; its current program has not arrived yet
    bool inSync_ = false;       // the full read completed on this connection
    bool asking_ = false;       // the off-line edits question is open
    std::unique_ptr<PortWatch> watch_;
    std::unique_ptr<OfflineEdits> edits_;
};

// The machine's serial ports as Connect tries them.
std::vector<std::string> MachinePorts();

}  // namespace pavo
