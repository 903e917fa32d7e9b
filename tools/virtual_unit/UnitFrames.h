#pragma once
// The unit's side of the frame envelope: FF 55, 16-bit LEN (CMD + payload + SUM), CMD, payload, SUM,
// SUM being the low byte of the sum from the LEN low byte through the last payload byte. Written
// apart from the program's own codec on purpose, so the end-to-end tests check one against the other.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pavo::unit {

struct Frame {
    uint8_t cmd = 0;
    std::vector<uint8_t> payload;  // the bytes between CMD and SUM
};

std::vector<uint8_t> EncodeFrame(uint8_t cmd, const std::vector<uint8_t>& payload);
// An acknowledgement: LEN 3, the command answered, the status (0 accepts, 1..3 refuse).
std::vector<uint8_t> EncodeAck(uint8_t cmd, uint8_t status);

// Collects frames from a byte stream. Anything before FF 55 is skipped; a frame whose sum is wrong is
// dropped (and counted); a LEN larger than any frame the program sends resynchronises.
class FrameDecoder {
public:
    void Feed(const uint8_t* bytes, size_t count);
    std::optional<Frame> Next();
    int BadFrames() const { return badFrames_; }

private:
    std::vector<uint8_t> buffer_;
    std::vector<Frame> ready_;
    size_t readyPos_ = 0;
    int badFrames_ = 0;
};

}  // namespace pavo::unit
