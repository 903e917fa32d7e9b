#include "autoeq/ModelFit.h"

namespace pavo {

bool WriteFitToModel(Model& model, const FitResult& result, int block, int scene) {
    const bool written = model.Edit([&] { return ApplyFit(result, model.current, block, scene); });
    if (written) model.RecordsReplaced();
    return written;
}

}  // namespace pavo
