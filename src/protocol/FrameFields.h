#pragma once
// Where the payload of a parameter frame lands in the records: the change scan read backwards. The
// traffic log uses it to name the fields a frame carries and show their values in engineering units.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "model/FieldCatalog.h"

namespace pavo {

struct FrameTarget {
    FieldRecord record = FieldRecord::Program;
    size_t offset = 0;       // the first record byte the frame carries
    size_t width = 0;        // how many bytes
    size_t payloadFrom = 0;  // the payload byte that holds the first of them
    uint8_t mask = 0xFF;     // for a byte shared by two fields: the bits this frame carries
};

// The record bytes a parameter frame (CMD 0x01..0x14, 0x87, 0x89..0x8B, 0x8E) carries. Output
// channels are those of `editedScene` (1..3), as the scanner sends them. Nothing for other commands
// or an index no field has.
std::optional<FrameTarget> FrameTargetOf(uint8_t cmd, std::span<const uint8_t> payload, int editedScene);

// The fields a parameter frame carries and their values, for the traffic log:
// "Mic12.Eq[3]: FrequencyCode = 1000 Hz, GainCode = 3.0 dB, QCode = 0.71, BandType = P" or
// "EchoB.DirectSwitch = ON". Empty when the frame carries no known field.
std::string DescribeFrameFields(uint8_t cmd, std::span<const uint8_t> payload, int editedScene);

}  // namespace pavo
