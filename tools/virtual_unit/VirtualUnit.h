#pragma once
// The audio processor as the program sees it: its current program image and system record, its 21
// stored programs, and one reply for every frame the program sends. No I/O here (UnitLine puts it on
// a pseudo-terminal); safe to call from several threads.
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "UnitFrames.h"
#include "model/Blocks.h"

namespace pavo::unit {

class VirtualUnit {
public:
    // storeAuthority: what the lookup reply reports (not 0: the program may store programs).
    explicit VirtualUnit(uint8_t storeAuthority = 1);

    // The reply to one frame: data for the lookup, reads, recall and status polls, an
    // acknowledgement (status 0) for everything else. Parameter commands are applied first.
    std::vector<uint8_t> Answer(const Frame& frame);
    // True if the unit answers this command with a bare acknowledgement.
    static bool AnswersWithAck(uint8_t cmd);

    ProgramImage CurrentImage() const;
    SystemRecord System() const;
    ProgramImage StoredProgram(int number) const;  // 1..21
    uint8_t StoreAuthority() const;

    void SetCurrentImage(const ProgramImage& image);
    void SetSystem(const SystemRecord& system);
    // A memory fault: stored program `program` (1..21; 0 none) keeps byte `offset` of its image one
    // higher than it was sent or stored.
    void CorruptStoredByte(int program, int offset);

private:
    void ApplyParameter(uint8_t cmd, const std::vector<uint8_t>& p);
    std::vector<uint8_t> StatusReply(uint8_t cmd);
    OutputChannel& Channel(int c);
    void AfterStore(int program);

    mutable std::mutex lock_;
    ProgramImage current_{};
    SystemRecord system_{};
    std::array<ProgramImage, 21> stored_{};
    uint8_t storeAuthority_;
    unsigned meterPhase_ = 0;
    int corruptProgram_ = 0;
    int corruptOffset_ = 0;
};

// The unit's factory programs: believable names and settings, different per program.
ProgramImage FactoryProgram(int number);  // 1..21
SystemRecord FactorySystem();

}  // namespace pavo::unit
