#include "CurveOutput.h"

#include "BlockArg.h"
#include "CliFailure.h"
#include "Output.h"
#include "eq/BlockResponse.h"
#include "model/CodeTables.h"

namespace pavo::cli {

void PrintCurve(const ProgramImage& image, int block, nlohmann::ordered_json about, bool json) {
    const int active = image.ActiveScene;
    const int scene = active >= 1 && active <= 3 ? active : 1;
    const auto sum = BlockResponse(image, block, scene);
    if (!sum) FailUsage("block " + std::to_string(block) + " has no EQ");
    if (!json) {
        std::string csv = "Hz,dB\n";
        char line[64];
        for (int k = 0; k < kGridPoints; ++k) {
            std::snprintf(line, sizeof line, "%g,%.4f\n", ResponseGrid()[k], (*sum)[k]);
            csv += line;
        }
        Print("%s", csv.c_str());
        return;
    }
    about["block"] = BlockName(block);
    about["blockNumber"] = block;
    about["scene"] = scene;
    nlohmann::ordered_json points = nlohmann::ordered_json::array();
    for (int k = 0; k < kGridPoints; ++k) points.push_back({{"hz", ResponseGrid()[k]}, {"db", (*sum)[k]}});
    about["points"] = std::move(points);
    PrintJson(about);
}

}  // namespace pavo::cli
