#pragma once
// A fit result written into a unit's model, the one way every edit goes: the current program image
// under the model lock, then the records version moves so that the band sets re-read the bands. The
// change scanner then sends the bands that differ from what the unit was told, like any edit.
#include "autoeq/Fit.h"
#include "model/Model.h"

namespace pavo {

// Writes the fitted bands of `result` into block `block` (scene 1..3 for the outputs) of the model's
// current image; the other bands keep their codes. False, and nothing written, for a block or scene
// the image does not have or a result of another size.
bool WriteFitToModel(Model& model, const FitResult& result, int block, int scene);

}  // namespace pavo
