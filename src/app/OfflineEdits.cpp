#include "app/OfflineEdits.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <mutex>

#include "model/Model.h"

namespace pavo {

namespace {

// The system settings a user edits: bytes 1..14, from the effect master to the remote switch.
constexpr size_t kSettingsFirst = offsetof(SystemRecord, EffectMaster);
constexpr size_t kSettingsEnd = offsetof(SystemRecord, PanelPassword);
static_assert(kSettingsFirst == 1 && kSettingsEnd == 15);

}  // namespace

OfflineEdits::OfflineEdits(Model& model) : model_(model), baseline_(std::make_unique<Records>()) {
    std::lock_guard<std::mutex> guard(model_.Lock());
    CopyRecord(baseline_->image, model_.current);
    CopyRecord(baseline_->system, model_.system);
}

OfflineEdits::~OfflineEdits() = default;

void OfflineEdits::TakeBaselineFromSent() {
    const Model& m = model_;
    std::lock_guard<std::mutex> guard(model_.Lock());
    CopyRecord(baseline_->image, m.lastSent);
    CopyRecord(baseline_->system, m.lastSentSystem);
    // The name and the check byte travel only with whole images, never with the change scan: what
    // the model holds of them is what the unit holds.
    std::copy(std::begin(m.current.ProgramName), std::end(m.current.ProgramName),
              baseline_->image.ProgramName);
    baseline_->image.CheckByte = m.current.CheckByte;
}

void OfflineEdits::TakeSnapshot() {
    snapshot_ = std::make_unique<Records>();
    std::lock_guard<std::mutex> guard(model_.Lock());
    CopyRecord(snapshot_->image, model_.current);
    CopyRecord(snapshot_->system, model_.system);
}

bool OfflineEdits::ImageEdited() const {
    return snapshot_ && !SameRecord(snapshot_->image, baseline_->image);
}

bool OfflineEdits::UnitDiffers() const {
    if (!snapshot_) return false;
    const Model& m = model_;
    std::lock_guard<std::mutex> guard(model_.Lock());
    if (ImageEdited() && !SameRecord(m.current, snapshot_->image)) return true;
    const uint8_t* snap = BytesOf(snapshot_->system);
    const uint8_t* base = BytesOf(baseline_->system);
    const uint8_t* unit = BytesOf(m.system);
    for (size_t i = kSettingsFirst; i < kSettingsEnd; ++i) {
        const uint8_t edited = snap[i] ^ base[i];
        if ((unit[i] & edited) != (snap[i] & edited)) return true;
    }
    return false;
}

bool OfflineEdits::RestoreEdits() {
    if (!snapshot_) return false;
    Model& m = model_;
    bool sendImage = false;
    {
        std::lock_guard<std::mutex> guard(model_.Lock());
        sendImage = ImageEdited() && !SameRecord(m.current, snapshot_->image);
        if (sendImage) CopyRecord(m.current, snapshot_->image);
        const uint8_t* snap = BytesOf(snapshot_->system);
        const uint8_t* base = BytesOf(baseline_->system);
        uint8_t* sys = BytesOf(m.system);
        for (size_t i = kSettingsFirst; i < kSettingsEnd; ++i) {
            const uint8_t edited = snap[i] ^ base[i];
            sys[i] = static_cast<uint8_t>((sys[i] & ~edited) | (snap[i] & edited));
        }
    }
    if (sendImage) AcceptProgram(model_, false);  // declared sent; the band sets re-read it
    return sendImage;
}

void OfflineEdits::RestoreSnapshot() {
    if (!snapshot_) return;
    {
        std::lock_guard<std::mutex> guard(model_.Lock());
        CopyRecord(model_.current, snapshot_->image);
        CopyRecord(model_.system, snapshot_->system);
    }
    AcceptProgram(model_, false);
}

}  // namespace pavo
