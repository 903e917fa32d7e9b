#include "remote/SentFields.h"

#include <array>
#include <memory>
#include <vector>

#include "model/FieldBytes.h"
#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/CommandCodes.h"

namespace pavo::remote {

namespace {

using Table = std::vector<std::array<bool, 3>>;  // by field index, by edited scene

// Each field changed alone on a model with nothing else to send: a frame other than a status poll
// means the scanner sends it.
Table Probe() {
    const std::span<const FieldInfo> fields = Fields();
    Table table(fields.size());
    auto model = std::make_unique<Model>();
    Model& m = *model;
    ResetParameters(m, false);
    auto out = std::make_unique<FrameRecord>();
    for (int scene = 1; scene <= 3; ++scene) {
        m.current.ActiveScene = static_cast<uint8_t>(scene);
        AcceptProgram(m, true);
        for (size_t i = 0; i < fields.size(); ++i) {
            const FieldInfo& f = fields[i];
            if (!f.HasCode()) continue;
            uint8_t* record = RecordOf(m, f);
            const uint32_t old = ReadCode(f, record);
            const uint32_t other = old != f.max ? f.max : f.min;
            if (other == old) continue;  // one code only: nothing to change
            WriteCode(f, record, other);
            ScanForChange(m, *out);
            table[i][scene - 1] = out->Cmd() != CmdStatusA && out->Cmd() != CmdStatusB;
            WriteCode(f, record, old);
            AcceptProgram(m, true);
        }
    }
    return table;
}

}  // namespace

bool SentOnItsOwn(const FieldInfo& field, int editedScene) {
    static const Table table = Probe();
    const std::span<const FieldInfo> fields = Fields();
    if (&field < fields.data() || &field >= fields.data() + fields.size()) return false;
    if (editedScene < 1 || editedScene > 3) return false;
    return table[static_cast<size_t>(&field - fields.data())][editedScene - 1];
}

}  // namespace pavo::remote
