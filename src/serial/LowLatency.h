#pragma once
// USB-serial adapters hold received bytes back before passing them on (an FTDI chip's latency timer
// waits 16 ms by default), which every exchange with the unit pays once more. On opening a port the
// program asks the driver to pass bytes on at once, in the two ways Linux offers: the low-latency flag
// of the serial driver, and the latency timer of an ftdi_sio adapter where its sysfs file is writable.
// Ports without either (built-in ports, pseudo-terminals) are left as they are; nothing here fails.
#include <string>

namespace pavo {

struct LowLatencyResult {
    bool driverFlag = false;    // ASYNC_LOW_LATENCY is set now
    bool latencyTimer = false;  // the adapter's latency timer was set to 1 ms
};

// `sysfsRoot` is where sysfs is mounted ("/sys"); tests pass a directory of their own.
LowLatencyResult RequestLowLatency(int fd, const std::string& sysfsRoot = "/sys");

// <sysfsRoot>/dev/char/<major>:<minor>/device/latency_timer for the device open on fd ("" if fd is
// not a character device).
std::string LatencyTimerPath(int fd, const std::string& sysfsRoot);

}  // namespace pavo
