#pragma once
// Window message numbers shared by the core and the GUI, and the sink through which the core tells
// the GUI things. The core never calls the GUI otherwise.
#include <cstdint>

namespace pavo {

// From the protocol layer and the serial engine to the main window.
constexpr unsigned WM_LINK_FAILED = 0x472;
constexpr unsigned WM_CONNECT_REQUEST = 0x473;
constexpr unsigned WM_SYSTEM_RECEIVED = 0x474;
constexpr unsigned WM_PROGRAM_RECEIVED = 0x475;  // wParam 0x85 when it answers a recall, else 0
constexpr unsigned WM_ALL_PROGRAMS_RECEIVED = 0x478;
constexpr unsigned WM_STATUS_RECEIVED = 0x47A;
constexpr unsigned WM_DEVICE_FOUND = 0x47B;
// From the serial engine to the progress dialog: the queued item with sequence number wParam has been
// written. Posted in the order the items go out.
constexpr unsigned WM_PROGRESS_POSITION = 0x47C;

// From controls to their parent.
constexpr unsigned WM_EQCURVE_CHANGED = 0x464;
constexpr unsigned WM_EQSTRIP_CHANGED = 0x497;
constexpr unsigned WM_SLIDER_TRACKING = 0x28D1;
constexpr unsigned WM_SLIDER_CHANGED = 0x28D2;
constexpr unsigned WM_NUMEDIT_CHANGED = 0x291C;

// Kinds of text reports (MessageSink::PostText).
enum TextKind : unsigned {
    TextWrongProgramNumber = 1,  // a stored-program reply carried another program's number: the "11" box
    TextPortError = 2,           // the serial engine's "Application Error" box
};

using WParam = uintptr_t;
using LParam = intptr_t;

// Receives what the core reports. Post is a queued delivery: it returns at once and the message is
// handled later on the receiver's (UI) thread, in the order posted. Implementations must be safe to
// call from any thread.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Post(unsigned message, WParam wParam, LParam lParam) = 0;
    // Reports text the UI shows in a message box (engine configuration errors, wrong program numbers).
    // Queued like Post; the default drops it.
    virtual void PostText(unsigned kind, const char* title, const char* text) {}
};

}  // namespace pavo
