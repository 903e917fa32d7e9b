#pragma once
// Window messages on Qt: a window (any QObject that is also a MessageTarget) handles messages keyed by
// message number and control id. PostMessage queues a delivery that runs after the current handler has
// returned, in posting order; SendMessage calls the handler at once and returns its result.
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace pavo {

using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

// From controls to their parent.
constexpr unsigned WM_EQCURVE_CHANGED = 0x464;
constexpr unsigned WM_EQSTRIP_CHANGED = 0x497;
constexpr unsigned WM_SLIDER_TRACKING = 0x28D1;
constexpr unsigned WM_SLIDER_CHANGED = 0x28D2;
constexpr unsigned WM_NUMEDIT_CHANGED = 0x291C;
// The main window posts itself the first connection attempt at start.
constexpr unsigned WM_CONNECT_REQUEST = 0x473;

// Standard notifications and GUI-only messages.
constexpr unsigned WM_COMMAND = 0x0111;  // wParam: control id (low word) | notify code (high word)
constexpr unsigned WM_TIMER = 0x0113;    // wParam: timer id
constexpr unsigned WM_NUMEDIT_ARROW = 0x6BC;
constexpr unsigned WM_LABEL_REDRAW = 0xA50;

constexpr unsigned BN_CLICKED = 0;
constexpr unsigned CBN_SELCHANGE = 1;
constexpr unsigned EN_CHANGE = 0x0300;

inline WParam MakeCommand(int controlId, unsigned code) {
    return static_cast<WParam>((controlId & 0xFFFF) | ((code & 0xFFFF) << 16));
}
inline int CommandId(WParam w) {
    return static_cast<int>(w & 0xFFFF);
}
inline unsigned CommandCode(WParam w) {
    return static_cast<unsigned>((w >> 16) & 0xFFFF);
}

// The message map of a window. Handlers registered for a message run in WindowProc; WM_COMMAND is
// further keyed by control id and notify code.
class MessageTarget {
public:
    using Handler = std::function<LResult(WParam, LParam)>;
    virtual ~MessageTarget() = default;

    void OnMessage(unsigned message, Handler handler) { handlers_[message] = std::move(handler); }
    void OnCommand(int controlId, unsigned code, std::function<void()> handler) {
        commands_[{controlId, code}] = std::move(handler);
    }
    // Dispatches one message; unhandled messages give 0.
    virtual LResult WindowProc(unsigned message, WParam wParam, LParam lParam);

private:
    std::map<unsigned, Handler> handlers_;
    std::map<std::pair<int, unsigned>, std::function<void()>> commands_;
};

// Synchronous: runs the target's handler now, on the calling (UI) thread. 0 when the target is no
// MessageTarget.
LResult SendMessage(QObject* target, unsigned message, WParam wParam = 0, LParam lParam = 0);
// Queued: delivered later on the UI thread, in posting order; dropped if the target is gone by then.
// Safe to call from any thread.
void PostMessage(QObject* target, unsigned message, WParam wParam = 0, LParam lParam = 0);
// Runs every message posted so far (tests, and modal waits that must see replies).
void DeliverPostedMessages();
// Runs `done` on the UI thread once the handler now running has returned and every message posted
// until then, and every message those post in turn, has been delivered: what a gesture set off in
// the controls is in the model by then. Dropped if `context` is gone first.
void WhenMessagesDelivered(QObject* context, std::function<void()> done);

}  // namespace pavo
