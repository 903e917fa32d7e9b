#pragma once
// Edits made while off line, kept across the full read that replaces the model with the unit's
// records, so that none is lost silently: after the read the user keeps the unit's records or sends
// the edited ones.
//
// The baseline is the unit's state as last known: what had been sent to it when the link ended (the
// reset defaults before any connection). The snapshot is the model as the user left it when Connect
// was pressed. What differs between the two was edited off line. Compared are the program image and
// the system settings a user edits (master levels and maxima, input choice and gains, phantom power,
// remote); the program number and the passwords always follow the unit. No Qt here; the UI thread
// alone uses it.
#include <memory>

#include "model/Blocks.h"
#include "model/Model.h"

namespace pavo {

class OfflineEdits {
public:
    explicit OfflineEdits(Model& model);  // the baseline is the model as it stands
    ~OfflineEdits();

    // The link ended after a full read: the unit holds what was sent to it.
    void TakeBaselineFromSent();
    // Connect: keep the user's records before the unit's replace them.
    void TakeSnapshot();
    bool HasSnapshot() const { return snapshot_ != nullptr; }
    void DropSnapshot() { snapshot_.reset(); }

    // After the full read: something was edited off line, and the unit's records differ from it.
    bool UnitDiffers() const;
    // The edits go back into the model: the edited program image whole, and of the system settings
    // the bits edited off line (the unit's others stay). The image is declared sent, as the caller
    // sends it whole; the system settings are left to the change scan. True if the image must be sent.
    bool RestoreEdits();
    // A connection that ended before the unit's program arrived: the image and system record go back
    // to the snapshot, undoing a partly completed read.
    void RestoreSnapshot();

private:
    struct Records {
        ProgramImage image;
        SystemRecord system;
    };
    bool ImageEdited() const;

    Model& model_;
    std::unique_ptr<Records> baseline_;
    std::unique_ptr<Records> snapshot_;
};

}  // namespace pavo
