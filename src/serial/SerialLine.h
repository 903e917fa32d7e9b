#pragma once
// One open serial device on POSIX termios: exclusive open, raw line settings, purge, drain, and
// non-blocking reads and writes. Not thread-safe; SerialPort guards it with its port lock.
#include <cstddef>
#include <cstdint>
#include <string>

#include <termios.h>

namespace pavo {

// What a failed call says: the operation's name and the system's text, for the engine's error box.
struct LineError {
    std::string operation;  // e.g. "tcsetattr()"
    int code = 0;           // errno
};

// The device node for a port name: "ttyUSB0" and "\\.\ttyUSB0" give "/dev/ttyUSB0"; a path stays.
std::string DevicePathFor(const std::string& portOrPath);
// The number at the end of a port name (ttyUSB3 -> 3), 0 if none: shown in the error text.
int PortNumberOf(const std::string& portOrPath);

enum class StopBits { One, OneAndHalf, Two };
enum class Parity { None, Even, Odd, Mark, Space };

// The line settings' mapping of the connection code's arguments.
StopBits StopBitsFromCode(int code);   // 1 one and a half, 2 two, anything else one
Parity ParityFromLetter(char letter);  // E, O, M, S in either case; anything else none

struct LineSettings {
    unsigned baud = 115200;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
};

// Raw mode with the settings applied to `tio`; false with `error` filled if a setting has no
// termios counterpart (an unsupported baud rate or data-bit count).
bool ApplyLineSettings(termios& tio, const LineSettings& settings, LineError& error);

class SerialLine {
public:
    SerialLine() = default;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;
    ~SerialLine() { Close(); }

    // Opens read/write, no controlling terminal, non-blocking, and claims the port for this program
    // alone. False (errno kept) if the device cannot be opened, is not a terminal (ENOTTY) or another
    // program holds it.
    bool Open(const std::string& path);
    // Raw 8-bit line with the given settings and RTS raised, and low latency asked of a USB-serial
    // adapter (LowLatency.h). A failed modem-control or latency request is not an error
    // (pseudo-terminals have neither). False with `error` filled on the first failure.
    bool Configure(const LineSettings& settings, LineError& error);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    void PurgeBoth();
    void PurgeInput();
    void PurgeOutput();
    // Waits until the written bytes have left the port (bounded by the wire time).
    bool Drain();
    // Bytes waiting to be read, or -1 (errno set).
    int BytesWaiting() const;
    // read(2) / write(2) on the non-blocking descriptor: bytes moved, 0, or -1 with errno.
    long ReadSome(uint8_t* buffer, size_t count);
    long WriteSome(const uint8_t* bytes, size_t count);

private:
    int fd_ = -1;
};

// Errors that mean the device is gone (adapter unplugged, pseudo-terminal master closed).
bool IsDeviceGoneError(int err);

}  // namespace pavo
