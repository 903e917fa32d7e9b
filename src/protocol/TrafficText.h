#pragma once
// The traffic trace as people read it: one line per record with the time to the millisecond, the
// direction, the frame's bytes in hex and what the frame means (command, index, values, "ack",
// "NACK n", checksum errors, missing replies, repeats, link failures). The traffic log window, its
// saved text, `pavo --trace` and pavo-cli all print these lines.
#include <cstdint>
#include <span>
#include <string>

#include "protocol/TraceRing.h"

namespace pavo {

struct TrafficLine {
    std::string time;         // local time, "13:04:05.123"
    std::string direction;    // "TX" written, "RX" read, "--" an event of the exchange
    std::string hex;          // "FF 55 04 00 0B 05 01 15"; empty for events
    std::string text;         // what it means
    bool statusPoll = false;  // a status poll or its reply (the log can hide them)
};

// Describes records in the order they happened. It remembers what earlier frames said where a frame
// depends on it (the scene the output channels of parameter frames belong to).
class TrafficDecoder {
public:
    TrafficLine Describe(const TraceRecord& record);

private:
    std::string DescribeWritten(std::span<const uint8_t> frame);
    std::string DescribeAccepted(std::span<const uint8_t> frame, uint8_t sentCmd);

    int scene_ = 1;      // the edited scene, as the last poll or scene frame said
    int requested_ = 0;  // the index byte of the last frame written (the program a reply should carry)
};

// "time<TAB>direction<TAB>hex<TAB>text": the form of the saved log and of trace files.
std::string FormatTrafficLine(const TrafficLine& line);

// The command's name ("EQ band", "Status poll A", ...), or "CMD 0x42" for a code nobody knows.
std::string CommandName(uint8_t cmd);
// Bytes as upper-case hex pairs separated by spaces.
std::string HexBytes(std::span<const uint8_t> bytes);
// A program name field in double quotes, trimmed: printable ASCII as it is, other bytes as \xNN.
std::string QuotedName(std::span<const uint8_t> field);
// "13:04:05.123" in local time.
std::string TimeOfDay(std::chrono::system_clock::time_point at);

}  // namespace pavo
