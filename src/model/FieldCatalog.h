#pragma once
// Every parameter of the program image and the system record by name: where its bytes are, the range
// of its raw code and how people read it. The command-line tool, the traffic log, the undo labels and
// the preset-file checks all name fields this way:
//
//     MusicLeft.Eq[3].GainCode     bands counted from 1, as the band strips caption them
//     Scene2.Out1.Mute             output channels by name, not by storage index
//     System.MicMaster.Mute        bit fields of one byte get a name each
//
// Program-image fields start with their block ("ProgramName", "EchoA", ... "CheckByte"); system-record
// fields with "System.". Every byte of both records belongs to exactly one field (or to bit fields that
// share it), so a byte offset always has a name.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pavo {

enum class FieldRecord : uint8_t { Program, System };

// How a code reads in engineering units.
enum class FieldDisplay : uint8_t {
    Code,       // the code itself (harmonic, timbre, master levels, check byte)
    Program,    // a program number: 1..16, F1..F5 for 17..21 (0: none yet)
    Text,       // characters (program name, passwords); no code, no range
    Opaque,     // bytes nobody interprets (spare, reserved): shown as hex, no range
    Frequency,  // FrequencyTable, Hz
    Crossover,  // the crossover table, Hz
    Gain,       // code x 0.2 - 24, dB
    Q,          // QTable
    Items,      // one name per code: band types, slopes, switches, combo choices
    Attack,     // AttackLabels, ms
    Release,    // ReleaseLabels
    Ratio,      // RatioLabels
    Scaled,     // code x scale - bias, with a unit; "OFF" for code 0 where zeroIsOff
};

struct FieldInfo {
    std::string path;
    FieldRecord record = FieldRecord::Program;
    uint16_t offset = 0;  // first byte in its record
    uint16_t width = 1;   // 1, 2 (little-endian), or the length of a text or opaque field
    uint8_t mask = 0xFF;  // the bits of a one-byte field that hold the code
    uint32_t min = 0;     // documented raw range
    uint32_t max = 0;
    FieldDisplay display = FieldDisplay::Code;
    // Scaled display: value = code x scale - bias, printed with `decimals` and `unit`.
    double scale = 1;
    double bias = 0;
    int decimals = 0;
    const char* unit = "";
    bool zeroIsOff = false;
    std::span<const char* const> items;  // Items display: the name of each code

    // Text and opaque fields carry bytes, not a code with a range.
    bool HasCode() const { return display != FieldDisplay::Text && display != FieldDisplay::Opaque; }
};

// Every field of the program image, then every field of the system record, each in byte order.
std::span<const FieldInfo> Fields();
std::span<const FieldInfo> FieldsOf(FieldRecord record);

// The field with this path (letters compared without case), or null.
const FieldInfo* FindField(std::string_view path);
// The field holding this byte of the record (the first of the bit fields sharing it), or null.
const FieldInfo* FieldAt(FieldRecord record, int offset);

// The code of a field in a record's bytes; writing keeps the other bits of a shared byte.
uint32_t ReadCode(const FieldInfo& field, const uint8_t* record);
void WriteCode(const FieldInfo& field, uint8_t* record, uint32_t code);
bool InRange(const FieldInfo& field, uint32_t code);

// The first field whose code lies outside its documented range, or null when all are in range.
const FieldInfo* FirstFieldOutOfRange(FieldRecord record, const uint8_t* bytes);

// The field's value as people read it: "1000 Hz", "-3.0 dB", "ON", "Atk X4", "2.0:1", "-77 dBV", "F2".
// What FormatCode writes for a code in range, ParseCode reads back as that code.
std::string FormatField(const FieldInfo& field, const uint8_t* record);
std::string FormatCode(const FieldInfo& field, uint32_t code);

// A code from what a person types: a name or label as FormatCode writes it ("ON", "24dB Butuerworth",
// "Atk X4", "OFF", "F2"), or a value in engineering units ("-3dB", "1k", "1.2kHz", "0.71", "150ms",
// "2:1"; a plain number is in the field's unit, "0" on the key shift is 0, not code 0), taken to the
// nearest code; a program as "F2" or "18". A raw code only as "code:105". Every value is checked
// against the field's range before it becomes a code, and nothing outside is accepted; `error` says
// why, with the range in engineering units. See FieldValue.h for the typed form.
std::optional<uint32_t> ParseCode(const FieldInfo& field, std::string_view text,
                                  std::string* error = nullptr);

}  // namespace pavo
