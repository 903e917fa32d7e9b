#pragma once
// The machine's serial ports, as the connection code tries them: USB-serial adapters and built-in
// ports that have hardware behind them, read from the kernel's device tree (sysfs).
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace pavo {

struct PortInfo {
    std::string DevicePath;   // the device node, e.g. /dev/ttyUSB0
    std::string BaseName;     // the kernel's name of the port, e.g. ttyUSB0
    std::string PortName;     // what SerialPort::OpenPort is given; the kernel's name
    int IsUsb = 0;            // 1 if the port belongs to a USB device
    std::string Description;  // USB: the adapter's product text; otherwise the port name
    std::string UsbId;        // USB: vendor and product id, "10c4:ea60"; otherwise empty
};

// Raised when the device tree cannot be read; what() is the text for the user.
class PortEnumerationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the device tree lives; tests point it at a fixture.
struct DeviceTree {
    std::filesystem::path sysfs = "/sys";
    std::filesystem::path dev = "/dev";
};

// Empties `ports` and fills it: USB ports first, then the others, each group in natural name order
// (ttyUSB2 before ttyUSB10). With probeOpen only ports that can be opened right now are kept.
void EnumerateSerialPorts(std::vector<PortInfo>& ports, bool probeOpen, const DeviceTree& tree = {});

}  // namespace pavo
