#include "AutoEqCommand.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "BlockArg.h"
#include "CliFailure.h"
#include "FieldText.h"
#include "Output.h"
#include "PresetInput.h"
#include "UnitSession.h"
#include "autoeq/BlockRecords.h"
#include "autoeq/ModelFit.h"
#include "model/FieldCatalog.h"
#include "model/FileReplace.h"
#include "model/Model.h"

namespace pavo::cli {

namespace {

using json = nlohmann::ordered_json;

std::optional<double> NumberOf(std::string text) {
    double scale = 1;
    if (!text.empty() && (text.back() == 'k' || text.back() == 'K')) {
        scale = 1000;
        text.pop_back();
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return v * scale;
}

// "1-4,7" -> 1 2 3 4 7.
std::vector<int> BandList(const std::string& text) {
    std::vector<int> bands;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        const size_t dash = item.find('-');
        const auto lo = NumberOf(item.substr(0, dash));
        const auto hi = dash == std::string::npos ? lo : NumberOf(item.substr(dash + 1));
        if (!lo || !hi || *lo < 1 || *hi < *lo || *hi > 99 || *lo != static_cast<int>(*lo) ||
            *hi != static_cast<int>(*hi))
            FailUsage("--bands takes band numbers from 1 such as 1-4,7, not " + text);
        for (int b = static_cast<int>(*lo); b <= static_cast<int>(*hi); ++b) bands.push_back(b);
        at = comma + 1;
    }
    return bands;
}

Measurement ReadCurve(const std::string& path) {
    Measurement m;
    MeasurementError error;
    if (!ReadMeasurementFile(path, m, error)) FailUsage(error.Text());
    return m;
}

int SceneOf(const ProgramImage& image) {
    return image.ActiveScene >= 1 && image.ActiveScene <= 3 ? image.ActiveScene : 1;
}

FitResult Fit(const AutoEqRequest& r, const ProgramImage& image, int& scene) {
    FitOptions options = r.options;
    scene = options.scene = SceneOf(image);
    auto prepared = PrepareFit(image, r.measured, r.target ? &*r.target : nullptr, options);
    if (const auto* error = std::get_if<MeasurementError>(&prepared)) FailUsage(error->Text());
    return RunFit(std::get<FitProblem>(prepared));
}

// The path prefix of the block's bands: "Mic12", "Scene2.Out1".
std::string BandPath(int block, int scene, int band, const char* leaf) {
    std::string prefix = BlockName(block);
    if (block >= BlockOutputFirst && block <= BlockOutputLast)
        prefix = "Scene" + std::to_string(scene) + "." + prefix;
    return prefix + ".Eq[" + std::to_string(band) + "]." + leaf;
}

// The fit as a table, or as members of `report`.
void PrintFit(const FitResult& fit, int block, int scene, bool asJson, json& report) {
    report["block"] = BlockName(block);
    report["blockNumber"] = block;
    if (block >= BlockOutputFirst && block <= BlockOutputLast) report["scene"] = scene;
    report["bands"] = json::array();
    std::string text = "band  type  frequency    gain       Q      used\n";
    char line[160];
    for (const FittedBand& b : fit.bands) {
        const FieldInfo& type = *FindField(BandPath(block, scene, b.number, "BandType"));
        const FieldInfo& freq = *FindField(BandPath(block, scene, b.number, "FrequencyCode"));
        const FieldInfo& gain = *FindField(BandPath(block, scene, b.number, "GainCode"));
        const FieldInfo& q = *FindField(BandPath(block, scene, b.number, "QCode"));
        report["bands"].push_back({{"band", b.number},
                                   {"type", FormatCode(type, b.codes.BandType)},
                                   {"frequencyCode", static_cast<int>(b.codes.FrequencyCode)},
                                   {"gainCode", b.codes.GainCode},
                                   {"qCode", b.codes.QCode},
                                   {"frequency", b.frequencyHz},
                                   {"gain", b.gainDb},
                                   {"q", b.q},
                                   {"used", b.used}});
        std::snprintf(line, sizeof line, "%4d  %-4s  %-11s  %-9s  %-5s  %s\n", b.number,
                      FormatCode(type, b.codes.BandType).c_str(),
                      FormatCode(freq, b.codes.FrequencyCode).c_str(),
                      FormatCode(gain, b.codes.GainCode).c_str(), FormatCode(q, b.codes.QCode).c_str(),
                      b.used ? "yes" : (b.fitted ? "no" : "kept"));
        text += line;
    }
    report["rmsBefore"] = fit.rmsBefore;
    report["rmsAfter"] = fit.rmsAfter;
    std::snprintf(line, sizeof line, "RMS error %.3f dB before, %.3f dB after\n", fit.rmsBefore,
                  fit.rmsAfter);
    text += line;
    if (!asJson) Print("%s", text.c_str());
}

void WriteProgram(const std::string& path, const SystemRecord& system, const ProgramImage& image,
                  const FitResult& fit, int block, int scene, const CliOptions& o) {
    auto fitted = std::make_unique<ProgramImage>();
    CopyRecord(*fitted, image);
    ApplyFit(fit, *fitted, block, scene);
    if (!WriteDia(path, system, *fitted)) FailUsage("cannot write " + path + ": " + std::strerror(errno));
    if (!o.quiet) PrintError("wrote " + path + ": the program with the fitted " + BlockName(block));
}

}  // namespace

std::shared_ptr<AutoEqRequest> PrepareAutoEq(const CliOptions& o) {
    if (!o.args.empty()) FailUsage("usage: pavo-cli autoeq --block B --measurement FILE [options]");
    if (o.block.empty() || o.measurement.empty()) FailUsage("autoeq needs --block B and --measurement FILE");
    if (!o.from.empty() && (!o.ports.empty() || o.allPorts))
        FailUsage("autoeq fits the program of a file (--from) or of a unit (--port), not both");
    if (o.target.size() && o.tilt)
        FailUsage("autoeq takes a target file (--target) or a tilt (--tilt), not both");
    if (o.dryRun && o.ports.empty() && !o.allPorts) FailUsage("--dry-run goes with --port");
    auto r = std::make_shared<AutoEqRequest>();
    r->block = BlockFromText(o.block);
    r->options.block = r->block;
    if (o.tilt) r->options.tiltDbPerOctave = *o.tilt;
    if (o.maxBoost) r->options.maxBoostDb = *o.maxBoost;
    if (o.maxCut) r->options.maxCutDb = std::abs(*o.maxCut);  // -12 and 12 both mean a 12 dB cut
    if (o.smoothing) r->options.smoothing = *o.smoothing;
    r->options.shelves = o.shelves;
    if (!o.bands.empty()) r->options.bands = BandList(o.bands);
    if (!o.range.empty()) {
        const size_t colon = o.range.find(':');
        const auto lo = NumberOf(o.range.substr(0, colon));
        const auto hi = colon == std::string::npos ? std::nullopt : NumberOf(o.range.substr(colon + 1));
        if (!lo || !hi || *lo <= 0 || *hi <= *lo)
            FailUsage("--range takes LO:HI in Hz such as 40:16000, not " + o.range);
        r->options.loHz = *lo;
        r->options.hiHz = *hi;
    }
    r->measured = ReadCurve(o.measurement);
    if (!o.target.empty()) r->target = ReadCurve(o.target);
    if (!o.from.empty()) r->from = ReadProgramFile(o.from);
    if (!o.out.empty() && o.ports.size() <= 1 && !o.allPorts)
        if (const int error = SaveBlocker(o.out))
            FailUsage("cannot write " + o.out + ": " + std::strerror(error));
    // The options checked against the program they will meet, before any port opens.
    const auto factory = std::make_unique<Model>();
    ResetParameters(*factory, false);
    const ProgramImage& image = r->from ? r->from->image : factory->current;
    FitOptions options = r->options;
    options.scene = SceneOf(image);
    auto prepared = PrepareFit(image, r->measured, r->target ? &*r->target : nullptr, options);
    if (const auto* error = std::get_if<MeasurementError>(&prepared)) FailUsage(error->Text());
    return r;
}

int AutoEqOnFile(const CliOptions& o) {
    const std::shared_ptr<AutoEqRequest> r = PrepareAutoEq(o);
    auto factory = std::make_unique<Model>();
    ResetParameters(*factory, false);
    const ProgramImage& image = r->from ? r->from->image : factory->current;
    const SystemRecord& system = r->from ? r->from->system : factory->system;
    int scene = 1;
    const FitResult fit = Fit(*r, image, scene);
    json report = json::object();
    if (!o.from.empty()) report["file"] = o.from;
    PrintFit(fit, r->block, scene, o.json, report);
    if (o.json) PrintJson(report);
    if (!o.out.empty()) WriteProgram(o.out, system, image, fit, r->block, scene, o);
    return ExitOk;
}

void AutoEqOnUnit(UnitSession& s, const AutoEqRequest& r, const CliOptions& o, const std::string& outPath,
                  json& report) {
    s.ReadCurrent();
    Model& m = s.model();
    auto image = std::make_unique<ProgramImage>();
    auto system = std::make_unique<SystemRecord>();
    m.Edit([&] {
        CopyRecord(*image, m.current);
        CopyRecord(*system, m.system);
    });
    int scene = 1;
    const FitResult fit = Fit(r, *image, scene);
    PrintFit(fit, r.block, scene, o.json, report);
    if (!outPath.empty()) WriteProgram(outPath, *system, *image, fit, r.block, scene, o);
    if (o.dryRun) {
        report["sent"] = 0;
        if (!o.quiet) PrintError("dry run: nothing was sent");
        return;
    }
    // As any edit: into the model under its lock; the change scanner sends the bands that changed.
    const int frames = s.ChangeAndSendAll([&] { WriteFitToModel(m, fit, r.block, scene); });
    report["sent"] = frames;
    if (!o.quiet)
        PrintError("sent the fitted " + std::string(BlockName(r.block)) + " to the unit: " +
                   std::to_string(frames) + (frames == 1 ? " band changed" : " bands changed"));
}

}  // namespace pavo::cli
