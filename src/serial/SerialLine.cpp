#include "serial/SerialLine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "serial/LowLatency.h"

namespace pavo {

namespace {

speed_t SpeedFor(unsigned baud) {
    struct Rate {
        unsigned baud;
        speed_t speed;
    };
    static constexpr Rate kRates[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},       {9600, B9600},     {19200, B19200},
        {38400, B38400},   {57600, B57600},   {115200, B115200},   {230400, B230400}, {460800, B460800},
        {500000, B500000}, {921600, B921600}, {1000000, B1000000},
    };
    for (const Rate& r : kRates)
        if (r.baud == baud) return r.speed;
    return B0;
}

}  // namespace

std::string DevicePathFor(const std::string& name) {
    static const std::string kWindowsPrefix = "\\\\.\\";
    std::string n = name.rfind(kWindowsPrefix, 0) == 0 ? name.substr(kWindowsPrefix.size()) : name;
    if (n.find('/') != std::string::npos) return n;
    return "/dev/" + n;
}

int PortNumberOf(const std::string& name) {
    size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) --i;
    if (i == name.size() || name.size() - i > 6) return 0;
    return std::stoi(name.substr(i));
}

StopBits StopBitsFromCode(int code) {
    if (code == 1) return StopBits::OneAndHalf;
    if (code == 2) return StopBits::Two;
    return StopBits::One;
}

Parity ParityFromLetter(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'E':
            return Parity::Even;
        case 'M':
            return Parity::Mark;
        case 'O':
            return Parity::Odd;
        case 'S':
            return Parity::Space;
        default:
            return Parity::None;
    }
}

bool IsDeviceGoneError(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF || err == EPIPE;
}

bool SerialLine::Open(const std::string& path) {
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // Only a terminal device is a port: the lookup frame must never land in a file, and a device such
    // as /dev/null, always readable and never answering, is no unit either.
    if (!::isatty(fd)) {
        ::close(fd);
        errno = ENOTTY;
        return false;
    }
    // TIOCEXCL refuses further opens of the device (except by root); the lock also keeps out a
    // second copy of this program when it runs as root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return false;
    }
    fd_ = fd;
    return true;
}

bool ApplyLineSettings(termios& tio, const LineSettings& s, LineError& error) {
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    switch (s.dataBits) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        case 8:
            tio.c_cflag |= CS8;
            break;
        default:
            error = {"tcsetattr()", EINVAL};
            return false;
    }
    switch (s.parity) {
        case Parity::None:
            break;
        case Parity::Even:
            tio.c_cflag |= PARENB;
            break;
        case Parity::Odd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Mark:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case Parity::Space:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
    }
    // termios has no one-and-a-half stop bits; two is the nearest the receiver accepts.
    if (s.stopBits != StopBits::One) tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedFor(s.baud);
    if (speed == B0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) {
        error = {"cfsetspeed()", EINVAL};
        return false;
    }
    return true;
}

bool SerialLine::Configure(const LineSettings& s, LineError& error) {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        error = {"tcgetattr()", errno};
        return false;
    }
    if (!ApplyLineSettings(tio, s, error)) return false;
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        error = {"tcsetattr()", errno};
        return false;
    }
    int rts = TIOCM_RTS;
    (void)::ioctl(fd_, TIOCMBIS, &rts);  // fails on a pseudo-terminal: no modem lines there
    RequestLowLatency(fd_);
    return true;
}

void SerialLine::Close() {
    if (fd_ < 0) return;
    ::close(fd_);  // also releases the lock; TIOCEXCL ends with the last close
    fd_ = -1;
}

void SerialLine::PurgeBoth() {
    if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
}
void SerialLine::PurgeInput() {
    if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}
void SerialLine::PurgeOutput() {
    if (fd_ >= 0) ::tcflush(fd_, TCOFLUSH);
}

bool SerialLine::Drain() {
    return fd_ >= 0 && ::tcdrain(fd_) == 0;
}

int SerialLine::BytesWaiting() const {
    int q = 0;
    if (::ioctl(fd_, FIONREAD, &q) != 0) return -1;
    return q;
}

long SerialLine::ReadSome(uint8_t* buffer, size_t count) {
    return ::read(fd_, buffer, count);
}

long SerialLine::WriteSome(const uint8_t* bytes, size_t count) {
    return ::write(fd_, bytes, count);
}

}  // namespace pavo
