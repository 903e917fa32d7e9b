#pragma once
// The one error contract for opening and talking to a port: a fault (what it means for the user)
// with the system's error number and the failing call inside. The serial engine returns and reports
// it (serial/SerialPort.h); the program's status line, pavo-cli's messages and the traffic log all
// word it from here.
#include <string>

namespace pavo {

enum class LinkFault {
    None,
    Unplugged,     // the device went away (adapter pulled), or its node is not there
    NoAnswer,      // the unit stayed silent through every repeat
    PortBusy,      // another program holds the port
    NoAccess,      // the user may not open the port (not in the dialout group)
    NotATerminal,  // the path is no serial device (a regular file, /dev/null)
    NoPort,        // no device was named
    Settings,      // the port refused a line setting; it stays open
    WriteStuck,    // a frame did not leave the port in time
    Other,         // any other system error
};

struct PortError {
    LinkFault fault = LinkFault::None;
    int err = 0;            // errno behind it; 0 where the system reported nothing (NoAnswer)
    std::string operation;  // the call that failed ("open()", "tcsetattr()", "write()"), if any

    explicit operator bool() const { return fault != LinkFault::None; }
    // The fault in a few words and, where there is one, the system's text: "port busy (Device or
    // resource busy)", "no answer".
    std::string Text() const;
    // What the engine's "Application Error" box says about a failed call on port number `port`.
    std::string ApplicationErrorText(int port) const;

    // The fault an errno means when opening a device.
    static PortError FromOpenErrno(int err);
};

// "unplugged", "no answer", "port busy", "no access", "not a serial port", ...
const char* FaultName(LinkFault fault);

}  // namespace pavo
