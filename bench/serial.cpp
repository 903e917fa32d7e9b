// The serial engine against the virtual unit on a pseudo-terminal: exchange rate against the design
// limit, the worker's CPU use while idle-polling, how long a silent unit and a port full of another
// device's chatter take to be given up, and the CPU use of pavo-unit itself while nobody talks to it.
#include <dirent.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"
#include "serial/SerialPort.h"
#include "unit/Unit.h"
#include "virtual_unit/UnitFrames.h"
#include "virtual_unit/UnitLine.h"
#include "virtual_unit/UnitProcess.h"

namespace {

using namespace pavo;
using Clock = std::chrono::steady_clock;

class TimingSink : public LinkEvents {
public:
    void LinkFailed(const PortError&, bool) override {
        std::lock_guard<std::mutex> g(mutex_);
        if (!failed_) failedAt_ = Clock::now();
        failed_ = true;
        cv_.notify_all();
    }
    bool WaitFailed(int seconds, Clock::time_point& at) {
        std::unique_lock<std::mutex> g(mutex_);
        if (!cv_.wait_for(g, std::chrono::seconds(seconds), [&] { return failed_; })) return false;
        at = failedAt_;
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool failed_ = false;
    Clock::time_point failedAt_;
};

std::set<int> Threads() {
    std::set<int> tids;
    if (DIR* d = ::opendir("/proc/self/task")) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') tids.insert(std::atoi(e->d_name));
        ::closedir(d);
    }
    return tids;
}

// CPU time of one thread of this process, in seconds.
double ThreadCpuSeconds(int tid) {
    std::ifstream schedstat("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    unsigned long long ns = 0;
    if (schedstat >> ns) return ns / 1e9;
    return -1;
}

// pavo-unit's CPU use, in % of one core, over `seconds` without a client, or after one exchange with a
// client that then stays quiet.
double UnitProcessIdleCpu(bool afterOneExchange, int seconds) {
    unit::UnitProcess unit(PAVO_UNIT_BINARY, {});
    if (!unit.Started()) return -1;
    int client = -1;
    if (afterOneExchange) {
        client = ::open(unit.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        ::tcgetattr(client, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(client, TCSANOW, &tio);
        const std::vector<uint8_t> poll = unit::EncodeFrame(0x0C, {1});
        if (::write(client, poll.data(), poll.size()) != static_cast<ssize_t>(poll.size())) return -1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double cpu0 = unit.CpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu1 = unit.CpuSeconds();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (client >= 0) ::close(client);
    return cpu0 >= 0 ? 100.0 * (cpu1 - cpu0) / elapsed : -1;
}

bool Open(SerialPort& port, const unit::UnitLine& line) {
    return !port.OpenPort(line.DevicePath(), 115200, 'N', 8, 0, kEventRxChar | kEventCts, 115200);
}

// Status-poll exchanges per second over `seconds`, with the unit answering at once or paced like a
// real line.
double CyclesPerSecond(unsigned wireBaud, double seconds) {
    Unit programUnit(false);
    AcceptProgram(programUnit.model(), true);
    unit::UnitOptions options;
    options.wireBaud = wireBaud;
    unit::UnitLine line(options);
    SerialPort port(programUnit.handler());
    if (!line.Start() || !Open(port, line) || !port.StartEngine()) return -1;
    line.WaitForFrames(10, 5000);  // settled
    const size_t first = line.ReceivedCount();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const size_t last = line.ReceivedCount();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    port.ClosePort();
    return (last - first) / elapsed;
}

// Seconds from the first write of the lookup to the link failure, against a unit that never answers.
double SecondsToLinkFailure(const unit::UnitOptions& options) {
    Unit programUnit(false);
    AcceptProgram(programUnit.model(), true);
    TimingSink sink;
    unit::UnitLine line(options);
    SerialPort port(programUnit.handler(), &sink);
    line.Start();
    programUnit.handler().QueueCommand(CmdLookup, 0);
    Open(port, line);
    port.StartEngine();
    line.WaitForFrames(1, 5000);
    const auto firstWrite = Clock::now();
    Clock::time_point failed;
    const bool ok = sink.WaitFailed(20, failed);
    port.ClosePort();
    return ok ? std::chrono::duration<double>(failed - firstWrite).count() : -1.0;
}

}  // namespace

int main() {
    // One cycle by design: the 20 ms pause plus a status poll (7 bytes) and its reply (18 bytes) on
    // the wire at 115200 baud, 10 bits a byte.
    const double wireMs = (7 + 18) * 10 * 1000.0 / 115200;
    const double limit = 1000.0 / (20.0 + wireMs);
    const double instant = CyclesPerSecond(0, 5);
    const double paced = CyclesPerSecond(115200, 5);
    std::printf(
        "exchange cycles, instant unit:          %6.2f /s  limit %.2f /s (20 ms + %.2f ms wire)  ratio %.3f "
        "(goal >= 0.95)\n",
        instant, limit, wireMs, instant / limit);
    std::printf(
        "exchange cycles, unit paced at 115200:  %6.2f /s  limit %.2f /s                         ratio "
        "%.3f\n",
        paced, limit, paced / limit);

    {
        Unit programUnit(false);
        AcceptProgram(programUnit.model(), true);
        unit::UnitLine line;
        SerialPort port(programUnit.handler());
        line.Start();
        const std::set<int> before = Threads();
        Open(port, line);
        port.StartEngine();
        int engine = 0;
        for (int tid : Threads())
            if (!before.count(tid)) engine = tid;
        line.WaitForFrames(10, 5000);
        const double cpu0 = ThreadCpuSeconds(engine);
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double cpu1 = ThreadCpuSeconds(engine);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        port.ClosePort();
        std::printf("engine thread CPU, idle polling 10 s:   %6.2f %% of one core (goal <= 2 %%)\n",
                    engine && cpu0 >= 0 ? 100.0 * (cpu1 - cpu0) / elapsed : -1.0);
    }

    {
        unit::UnitOptions silent;
        silent.silent = true;
        std::printf("silent unit, lookup write to the link failure: %.2f s (about three seconds)\n",
                    SecondsToLinkFailure(silent));
        // Another device talking on the port: 64 bytes every 5 ms, none of them a reply.
        unit::UnitOptions chatter = silent;
        for (int i = 0; i < 64; ++i) chatter.chatter.push_back(static_cast<uint8_t>(i * 37 + 11));
        chatter.chatterEveryMs = 5;
        std::printf("chattering port, lookup write to the link failure: %.2f s (about three seconds)\n",
                    SecondsToLinkFailure(chatter));
    }

    std::printf("pavo-unit CPU, no client 10 s:          %6.2f %% of one core (goal <= 2 %%)\n",
                UnitProcessIdleCpu(false, 10));
    std::printf("pavo-unit CPU, quiet client 5 s:        %6.2f %% of one core (goal <= 2 %%)\n",
                UnitProcessIdleCpu(true, 5));
    return 0;
}
