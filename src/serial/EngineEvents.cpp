#include "serial/EngineEvents.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace pavo {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

EngineEvents::EngineEvents() : doorbell_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

EngineEvents::~EngineEvents() {
    if (doorbell_ >= 0) ::close(doorbell_);
}

void EngineEvents::Signal(EngineEvent e) {
    switch (e) {
        case EngineEvent::Shutdown:
            shutdown_.store(true);
            break;
        case EngineEvent::Write:
            write_.store(true);
            break;
        case EngineEvent::AddData:
            addData_.store(true);
            break;
        default:
            return;
    }
    Ring();  // after the flag: a waiter that wakes up always sees it
}

void EngineEvents::Reset(EngineEvent e) {
    if (e == EngineEvent::Shutdown) shutdown_.store(false);
    if (e == EngineEvent::Write) write_.store(false);
    if (e == EngineEvent::AddData) addData_.store(false);
}

bool EngineEvents::IsSet(EngineEvent e) const {
    switch (e) {
        case EngineEvent::Shutdown:
            return shutdown_.load();
        case EngineEvent::Write:
            return write_.load();
        case EngineEvent::AddData:
            return addData_.load();
        default:
            return false;
    }
}

void EngineEvents::ResetAll() {
    shutdown_.store(false);
    write_.store(false);
    addData_.store(false);
    Drain();
}

void EngineEvents::Ring() {
    const uint64_t one = 1;
    (void)!::write(doorbell_, &one, sizeof one);
}

void EngineEvents::Drain() {
    uint64_t count;
    (void)!::read(doorbell_, &count, sizeof count);
}

EngineEvent EngineEvents::Wait(int portFd, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (shutdown_.load()) return EngineEvent::Shutdown;
        if (write_.load()) return EngineEvent::Write;
        if (addData_.load()) return EngineEvent::AddData;
        pollfd fds[2] = {{doorbell_, POLLIN, 0}, {portFd, POLLIN, 0}};
        const int n = ::poll(fds, portFd >= 0 ? 2 : 1, MillisecondsLeft(deadline));
        if (n < 0 && errno != EINTR) return EngineEvent::DeviceGone;
        if (n > 0 && (fds[0].revents & POLLIN)) {
            Drain();
            continue;  // a flag was set: look at the flags again
        }
        if (n > 0 && portFd >= 0) {
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) return EngineEvent::DeviceGone;
            if (fds[1].revents & POLLIN) return EngineEvent::Io;
        }
        if (n == 0 && MillisecondsLeft(deadline) == 0) return EngineEvent::Timeout;
    }
}

bool EngineEvents::Pause(int ms) {
    return WaitForData(-1, ms) != EngineEvent::Shutdown;
}

EngineEvent EngineEvents::WaitForData(int portFd, int ms, bool forWriting) {
    const short ready = forWriting ? POLLOUT : POLLIN;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (shutdown_.load()) return EngineEvent::Shutdown;
        const int left = MillisecondsLeft(deadline);
        if (left == 0) return EngineEvent::Timeout;
        pollfd fds[2] = {{doorbell_, POLLIN, 0}, {portFd, ready, 0}};
        const int n = ::poll(fds, portFd >= 0 ? 2 : 1, left);
        if (n < 0 && errno != EINTR) return EngineEvent::DeviceGone;
        if (n > 0 && (fds[0].revents & POLLIN)) {
            // Another event rang: only shutdown ends this wait; the others stay set for Wait.
            Drain();
            continue;
        }
        if (n > 0 && portFd >= 0) {
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) return EngineEvent::DeviceGone;
            if (fds[1].revents & ready) return EngineEvent::Io;
        }
    }
}

}  // namespace pavo
