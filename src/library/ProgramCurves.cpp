#include "library/ProgramCurves.h"

#include <cstdio>

#include "eq/BlockResponse.h"
#include "model/CodeTables.h"

namespace pavo {

int CurveScene(const ProgramImage& image) {
    const int active = image.ActiveScene;
    return active >= 1 && active <= 3 ? active : 1;
}

std::optional<GridLevels> ProgramBlockResponse(const ProgramImage& image, int block) {
    return BlockResponse(image, block, CurveScene(image));
}

int ThumbnailGridIndex(int k) {
    return k * (kGridPoints - 1) / (kThumbnailPoints - 1);
}

ThumbnailCurves ThumbnailCurvesOf(const ProgramImage& image) {
    ThumbnailCurves out;
    for (size_t c = 0; c < kThumbnailBlocks.size(); ++c) {
        const auto levels = ProgramBlockResponse(image, kThumbnailBlocks[c]);
        for (int k = 0; k < kThumbnailPoints; ++k)
            out.db[c][k] = levels ? static_cast<float>((*levels)[ThumbnailGridIndex(k)]) : 0.0f;
    }
    return out;
}

std::string CurveCsv(const GridLevels& levels) {
    std::string out = "Hz,dB\n";
    char line[64];
    for (int k = 0; k < kGridPoints; ++k) {
        std::snprintf(line, sizeof line, "%g,%.4f\n", ResponseGrid()[k], levels[k]);
        out += line;
    }
    return out;
}

}  // namespace pavo
