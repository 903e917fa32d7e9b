#pragma once
// Who may use the remote control: the PIN gives a session token; five wrong PINs from one address
// lock that address out for a while (a correct PIN too is refused meanwhile). Sessions last while the
// service runs (the PIN and every token are new at each start); the least recently seen session goes
// when there are too many. Safe to use from every connection's thread.
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace pavo::remote {

// A connected client as the program's dialog lists it.
struct ClientInfo {
    std::string address;
    std::chrono::steady_clock::time_point since;     // the PIN was accepted
    std::chrono::steady_clock::time_point lastSeen;  // its last request
    int eventStreams = 0;                            // pages open on the event stream
};

class Sessions {
public:
    using Clock = std::chrono::steady_clock;

    Sessions(std::string pin, int lockoutAfter, Clock::duration lockoutTime, int maxSessions);

    enum class PinResult { Accepted, Wrong, LockedOut };
    struct PinAnswer {
        PinResult result = PinResult::Wrong;
        std::string token;          // Accepted
        int attemptsLeft = 0;       // Wrong: before the lock-out
        int retryAfterSeconds = 0;  // LockedOut
    };
    PinAnswer TryPin(const std::string& address, std::string_view pin, Clock::time_point now);

    // The session of `token` exists; it counts as seen now.
    bool Check(std::string_view token, Clock::time_point now);
    void End(std::string_view token);
    void StreamOpened(std::string_view token);
    void StreamClosed(std::string_view token);

    std::vector<ClientInfo> Clients() const;
    const std::string& Pin() const { return pin_; }

private:
    struct Session {
        std::string token;
        ClientInfo info;
    };
    struct Failures {
        int count = 0;
        Clock::time_point last;
        Clock::time_point lockedUntil;
    };

    Session* Find(std::string_view token);  // every session compared in constant time
    void Forget(Clock::time_point now);     // address records long past

    const std::string pin_;
    const int lockoutAfter_;
    const Clock::duration lockoutTime_;
    const size_t maxSessions_;
    mutable std::mutex mutex_;
    std::vector<Session> sessions_;
    std::map<std::string, Failures> failures_;
};

}  // namespace pavo::remote
