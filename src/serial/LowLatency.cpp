#include "serial/LowLatency.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>

namespace pavo {

namespace {

constexpr int kLowestLatencyMs = 1;

bool SetDriverFlag(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return false;  // not a serial driver (a pty)
    if (serial.flags & ASYNC_LOW_LATENCY) return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
}

bool SetLatencyTimer(const std::string& path) {
    if (path.empty()) return false;
    const int timer = ::open(path.c_str(), O_RDWR | O_CLOEXEC);  // never created: only an adapter has one
    if (timer < 0) return false;
    char text[16] = {};
    const ssize_t n = ::read(timer, text, sizeof text - 1);
    bool done = n > 0 && std::atoi(text) == kLowestLatencyMs;
    if (!done) {
        const std::string value = std::to_string(kLowestLatencyMs) + "\n";
        done = ::pwrite(timer, value.data(), value.size(), 0) == static_cast<ssize_t>(value.size());
    }
    ::close(timer);
    return done;
}

}  // namespace

std::string LatencyTimerPath(int fd, const std::string& sysfsRoot) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return "";
    return sysfsRoot + "/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
           std::to_string(minor(st.st_rdev)) + "/device/latency_timer";
}

LowLatencyResult RequestLowLatency(int fd, const std::string& sysfsRoot) {
    LowLatencyResult result;
    result.driverFlag = SetDriverFlag(fd);
    result.latencyTimer = SetLatencyTimer(LatencyTimerPath(fd, sysfsRoot));
    return result;
}

}  // namespace pavo
