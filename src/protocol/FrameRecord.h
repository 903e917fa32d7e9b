#pragma once
// The 4230-byte frame record: a frame's wire bytes from offset 0, then control bytes that never go on
// the wire. The single outgoing record (filled by the scanner or by a popped queue item and written by
// the serial engine), every queued SendData item and the incoming record (the frame assembler's) share
// this layout; the control bytes mean different things in outgoing and incoming records. The protocol
// handler of a unit owns its outgoing and incoming records.
//
// Frame envelope, little-endian: FF 55, LEN (16 bit: CMD + payload + SUM), CMD, payload, SUM, where
// SUM is the low byte of the sum of every byte from offset 2 through offset LEN + 2.
#include <array>
#include <cstddef>
#include <cstdint>

namespace pavo {

constexpr size_t kFrameRecordSize = 4230;
constexpr size_t kFrameAreaSize = 4206;  // offsets 0..4205 hold frame bytes
constexpr size_t kFrameHeaderSize = 4;   // FF 55 LEN
constexpr uint8_t kFrameStart0 = 0xFF;
constexpr uint8_t kFrameStart1 = 0x55;
constexpr uint16_t kLargestLen = kFrameAreaSize - kFrameHeaderSize;

// Control bytes of an outgoing record.
namespace outgoing {
constexpr size_t kSumCopy = 4206;       // copy of the last SUM computed
constexpr size_t kReplyAwaited = 4211;  // set by the engine after writing
constexpr size_t kAckTransfer = 4215;   // the unit's acknowledgement ends a pending transfer
constexpr size_t kLongPause = 4216;     // the engine pauses 3000 ms after writing
constexpr size_t kSingleRead = 4217;    // a stored-program request of its own: its reply completes no bank
constexpr size_t kLookup = 4221;        // device-lookup frame; reported with a link failure
constexpr size_t kSequence = 4222;      // sequence number for the progress display
constexpr size_t kBulk = 4228;          // pause 1000 ms after writing, allow 2000 ms for the reply
}  // namespace outgoing

// State bytes of the incoming record (the assembler's and the serial engine's counters).
namespace incoming {
constexpr size_t kReceivedSum = 4206;
constexpr size_t kInFrame = 4209;
constexpr size_t kRejected = 4210;       // wrong sum, oversize frame or negative acknowledgement
constexpr size_t kRetryCounter = 4220;   // the serial engine's
constexpr size_t kWritePosition = 4224;  // 16 bit
constexpr size_t kLenLowCopy = 4226;
constexpr size_t kLenHighCopy = 4227;
constexpr size_t kEmptyPolls = 4229;  // the serial engine's; unused: its reply window is a deadline
}  // namespace incoming

struct FrameRecord {
    std::array<uint8_t, kFrameRecordSize> bytes{};

    uint8_t& operator[](size_t i) { return bytes[i]; }
    const uint8_t& operator[](size_t i) const { return bytes[i]; }
    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }

    uint16_t Len() const { return static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)); }
    void SetLen(uint16_t len) {
        bytes[2] = static_cast<uint8_t>(len & 0xFF);
        bytes[3] = static_cast<uint8_t>(len >> 8);
    }
    uint8_t Cmd() const { return bytes[4]; }
    // Bytes that go on the wire: LEN + 4, never more than the frame area.
    size_t FrameLength() const;
    // Zero every byte from `offset` to the end of the record.
    void ClearFrom(size_t offset);
    // A new record: all zero but the start bytes FF 55.
    void Reset();
};

// Compute SUM from LEN and store it at offset LEN + 3 and in the SUM copy (outgoing::kSumCopy).
// A LEN larger than the frame area allows is cut to the largest one.
void FinishFrame(FrameRecord& record);
// The low byte of the sum of bytes [2, 2 + count) of a record: the SUM of a frame with LEN = count + 1.
uint8_t FrameSum(const FrameRecord& record, size_t count);

}  // namespace pavo
