// pavo-unit as a user runs it: between frames it sleeps, whether nobody is connected, the client is
// quiet after an exchange, the unit plays silent or it delays its replies.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "virtual_unit/UnitFrames.h"
#include "virtual_unit/UnitProcess.h"

namespace pavo::unit {
namespace {

// A raw client on the unit's pseudo-terminal.
class Client {
public:
    explicit Client(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios tio{};
        if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return;
        ::cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    ~Client() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Send(const std::vector<uint8_t>& frame) {
        return ::write(fd_, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    }
    // Reads whatever arrives within ms; the number of bytes.
    size_t Receive(int ms) {
        size_t total = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        uint8_t buffer[256];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return total;
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return total;
            total += static_cast<size_t>(n);
        }
    }
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

TEST(UnitProcess, SleepsBetweenFrames) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool client;       // a client connects and sends a status poll first
        bool keepPolling;  // ... and goes on polling after every reply
    };
    const Case cases[] = {
        {"no client", {}, false, false},
        {"quiet client after one exchange", {}, true, false},
        {"silent unit", {"--silent"}, true, false},
        {"delayed replies to a polling client", {"--reply-delay", "120"}, true, true},
    };
    const std::vector<uint8_t> poll = EncodeFrame(0x0C, {1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UnitProcess unit(PAVO_UNIT_BINARY, c.args);
        ASSERT_TRUE(unit.Started());
        std::unique_ptr<Client> client;
        if (c.client) {
            client = std::make_unique<Client>(unit.DevicePath());
            ASSERT_TRUE(client->IsOpen());
            ASSERT_TRUE(client->Send(poll));
            client->Receive(300);
        }
        const double before = unit.RunnableSeconds();
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
            if (c.keepPolling) {
                client->Send(poll);
                client->Receive(200);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double runnable = unit.RunnableSeconds() - before;
        ASSERT_GE(before, 0.0);
        // A thread that never sleeps is runnable all the time, however busy the machine; a unit that
        // sleeps between frames only for the moments it works and waits to be scheduled.
        EXPECT_LT(runnable / elapsed, 0.3) << runnable << " s runnable in " << elapsed << " s";
    }
}

}  // namespace
}  // namespace pavo::unit
