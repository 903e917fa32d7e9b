#pragma once
// One fuzz input for the preset loaders, shared by the libFuzzer target and the corpus replay test.
// Input: byte 0 picks the file kind (even ".dia", odd ".dat"); the rest is the file. A file the loader
// refuses must leave the model as it was; one it takes is applied, scanned until nothing is left to
// send, and every response curve is recomputed from it; all of that must stay in bounds and give
// finite curves.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "eq/BandSets.h"
#include "model/Model.h"
#include "model/PresetFiles.h"
#include "protocol/Command.h"
#include "protocol/CommandCodes.h"
#include "protocol/FrameRecord.h"
#include "unit/Unit.h"

namespace pavo::fuzz {

// The records a refused file must not touch.
struct ModelRecords {
    ProgramImage current, lastSent;
    SystemRecord system, lastSentSystem;
    ProgramBank bank;

    static ModelRecords Of(const Model& m) {
        return {m.current, m.lastSent, m.system, m.lastSentSystem, m.bank};
    }
    bool SameAs(const Model& m) const {
        return SameRecord(current, m.current) && SameRecord(lastSent, m.lastSent) &&
               SameRecord(system, m.system) && SameRecord(lastSentSystem, m.lastSentSystem) &&
               SameRecord(bank, m.bank);
    }
};

// The loaders read from a path: an in-memory file stands in for it.
inline std::string WriteScratchFile(const uint8_t* data, size_t size) {
    static const int fd = ::memfd_create("pavo-preset-fuzz", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0) std::abort();
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
}

inline void ScanUntilNothingDiffers(ProtocolHandler& handler) {
    // Far more scans than there are fields: a scanner that keeps finding changes never settles.
    for (int i = 0; i < 4000; ++i) {
        handler.ScanForChange();
        const uint8_t cmd = handler.Outgoing().Cmd();
        handler.Outgoing().ClearFrom(kFrameHeaderSize);
        if (cmd == CmdStatusA || cmd == CmdStatusB) return;
    }
    std::abort();
}

// Applying a file moves the records version: the band sets re-read every record that changed, which
// recomputes each member's response; what is left is the sum each graph draws. Every set once: the
// output channels in each of the three scenes.
inline void RecomputeEveryCurve(BandSets& bands) {
    const PlotRect plot{40, 10, 700, 250};
    for (int block = 0; block < kBlockCount; ++block) {
        const bool output = block >= BlockOutputFirst && block <= BlockOutputLast;
        for (int scene = 1; scene <= (output ? kSceneCount : 1); ++scene) {
            CKTVEQ* set = bands.Of(block, scene);
            if (!set) continue;
            set->SetPlotRect(plot);
            set->SumResponse();
            for (const PlotPointF& p : set->SumCurve())
                if (!std::isfinite(p.y)) std::abort();
        }
    }
}

inline void LoadPresetOnce(const uint8_t* data, size_t size) {
    // One unit for the whole run, as the program keeps one while files are loaded one after another.
    static Unit unit(false);
    if (size < 1) return;
    const bool dat = data[0] & 1;
    const std::string path = WriteScratchFile(data + 1, size - 1);
    Model& m = unit.model();
    const ModelRecords before = ModelRecords::Of(m);

    bool taken;
    if (dat) {
        static ProgramBank bank;  // 57 kB: not on the stack
        taken = ReadDat(path, bank);
        if (taken) ApplyDat(m, bank);
    } else {
        DiaContents file;
        taken = ReadDia(path, file);
        if (taken) ApplyDia(m, file);
    }
    if (!taken) {
        if (!before.SameAs(m)) std::abort();
        return;
    }
    ScanUntilNothingDiffers(unit.handler());
    RecomputeEveryCurve(unit.bands());
}

}  // namespace pavo::fuzz
