#include "serial/PortEnumeration.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace pavo {

namespace fs = std::filesystem;

namespace {

// First line of a sysfs attribute, without the line end; empty if it cannot be read.
std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

[[noreturn]] void Raise(const fs::path& what, int err) {
    char text[512];
    std::snprintf(text, sizeof text, "Could not read from %s (err=%lx)", what.c_str(),
                  static_cast<unsigned long>(err));
    throw PortEnumerationError(text);
}

// The USB device (the directory with idVendor) above a port's device node, or empty.
fs::path UsbDeviceAbove(fs::path dir, const fs::path& sysfs) {
    std::error_code ec;
    for (int depth = 0; depth < 8 && dir.has_relative_path() && dir != sysfs; ++depth) {
        if (fs::exists(dir / "idVendor", ec) && fs::exists(dir / "idProduct", ec)) return dir;
        dir = dir.parent_path();
    }
    return {};
}

// Letters, then the trailing number: ttyS2 < ttyS10 < ttyUSB0.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') --i;
        const unsigned long n = i < s.size() ? std::stoul(s.substr(i, 9)) : 0;
        return std::make_pair(s.substr(0, i), n);
    };
    return split(a) < split(b);
}

bool CanOpenExclusively(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

}  // namespace

void EnumerateSerialPorts(std::vector<PortInfo>& ports, bool probeOpen, const DeviceTree& tree) {
    ports.clear();
    const fs::path classDir = tree.sysfs / "class" / "tty";
    std::error_code ec;
    fs::directory_iterator it(classDir, ec);
    if (ec) Raise(classDir, ec.value());

    std::vector<PortInfo> usb, builtIn;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) Raise(classDir, ec.value());
        const fs::path entry = it->path();
        const std::string name = entry.filename().string();
        // Consoles, pseudo-terminals and other virtual terminals have no device behind them.
        std::error_code linkError;
        const fs::path device = fs::canonical(entry / "device", linkError);
        if (linkError) continue;
        // Serial-core ports report their UART type; 0 means no UART answered at that address
        // (the usual ttyS1..ttyS31 placeholders).
        const std::string type = ReadAttribute(entry / "type");
        if (type == "0") continue;

        PortInfo port;
        port.BaseName = name;
        port.PortName = name;
        port.DevicePath = (tree.dev / name).string();
        const fs::path usbDevice = UsbDeviceAbove(device, tree.sysfs);
        if (!usbDevice.empty()) {
            port.IsUsb = 1;
            port.Description = ReadAttribute(usbDevice / "product");
            port.UsbId = ReadAttribute(usbDevice / "idVendor") + ":" + ReadAttribute(usbDevice / "idProduct");
        }
        (port.IsUsb ? usb : builtIn).push_back(std::move(port));
    }
    auto byName = [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.PortName, b.PortName); };
    std::sort(usb.begin(), usb.end(), byName);
    std::sort(builtIn.begin(), builtIn.end(), byName);
    ports = std::move(usb);
    ports.insert(ports.end(), builtIn.begin(), builtIn.end());

    for (size_t i = 0; i < ports.size();) {
        PortInfo& p = ports[i];
        if (probeOpen && !CanOpenExclusively(p.DevicePath)) {
            ports.erase(ports.begin() + static_cast<long>(i));
            continue;
        }
        if (p.PortName.empty()) p.PortName = p.BaseName;
        if (p.Description.empty()) {
            p.Description = p.PortName;
            const size_t paren = p.Description.find(" (");
            if (paren != std::string::npos && paren > 0 && p.Description.back() == ')')
                p.Description.resize(paren);
        }
        ++i;
    }
}

}  // namespace pavo
