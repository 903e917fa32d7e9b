// pavo-cli --json: every command that prints data prints JSON that parses, in the form the README's
// note describes. The note is read from the README itself: each of its lines is a command and an
// example document, "VALUE" standing for a field's value, "PATH" for a field's path; the VALUE lines
// show the forms of a value.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "cli_support.h"
#include "model/FieldCatalog.h"
#include "model/PresetFiles.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::clitest {
namespace {

using nlohmann::json;

// The README's note: examples by command, and the members a value may have.
struct Schema {
    std::map<std::string, json> examples;
    std::set<std::string> valueKeys;
};

Schema ReadmeSchema() {
    std::ifstream readme(std::filesystem::path(PAVO_SOURCE_DIR) / "README.md");
    std::string line;
    while (std::getline(readme, line) && line != "### JSON output") {
    }
    while (std::getline(readme, line) && line.rfind("```", 0) != 0) {
    }
    Schema schema;
    while (std::getline(readme, line) && line.rfind("```", 0) != 0) {
        const size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string command = line.substr(0, space);
        const json example = json::parse(line.substr(space), nullptr, false);
        EXPECT_FALSE(example.is_discarded()) << line;
        if (command == "VALUE") {
            for (const auto& [key, v] : example.items()) schema.valueKeys.insert(key);
        } else {
            schema.examples[command] = example;
        }
    }
    return schema;
}

// The key paths of a document: "a.b", "list[].c"; objects keyed by field paths as "PATH". Values (in
// the example: "VALUE") end a path, which is marked "=VALUE"; `values` collects them from output.
void Shape(const json& doc, const std::string& at, bool example, std::set<std::string>& paths,
           std::vector<json>& values) {
    if (example && doc == "VALUE") {
        paths.insert(at + "=VALUE");
        return;
    }
    if (doc.is_array()) {
        paths.insert(at + "[]");
        for (const json& item : doc) Shape(item, at + "[]", example, paths, values);
        return;
    }
    if (!doc.is_object()) {
        paths.insert(at);
        return;
    }
    for (const auto& [key, value] : doc.items()) {
        const bool field = example ? key == "PATH" : FindField(key) != nullptr;
        const std::string path = (at.empty() ? "" : at + ".") + (field ? "PATH" : key);
        paths.insert(path);
        Shape(value, path, example, paths, values);
    }
}

class CliJson : public ::testing::Test {
protected:
    static void SetUpTestSuite() { schema_ = new Schema(ReadmeSchema()); }
    static void TearDownTestSuite() { delete schema_; }

    // Checks one printed document against the command's example: every key path it has is in the
    // example, and where the example has a value, the output has a value of a documented form.
    void Check(const std::string& command, const json& doc) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(schema_->examples.count(command)) << "the README has no example for " << command;
        std::set<std::string> documented, printed;
        std::vector<json> unused;
        Shape(schema_->examples[command], "", true, documented, unused);
        std::vector<json> values;
        Shape(doc, "", false, printed, values);
        for (const std::string& p : printed) {
            if (documented.count(p)) continue;
            // Under a value, the value's own members.
            const size_t dot = p.rfind('.');
            const std::string parent = dot == std::string::npos ? "" : p.substr(0, dot);
            const std::string key = p.substr(dot + 1);
            EXPECT_TRUE(documented.count(parent + "=VALUE") && schema_->valueKeys.count(key))
                << p << " is not in the README's note";
        }
        for (const std::string& p : documented) seen_[command].insert(p);
        for (const std::string& p : printed) found_[command].insert(p);
    }
    void CheckOutput(const std::string& command, const CliRun& run, bool lines = false, int code = 0) {
        ASSERT_EQ(run.code, code) << command << ": " << run.err;
        if (!lines) return Check(command, json::parse(run.out));
        ASSERT_FALSE(run.OutLines().empty());
        for (const std::string& l : run.OutLines()) Check(command, json::parse(l));
    }

    static Schema* schema_;
    std::map<std::string, std::set<std::string>> seen_, found_;
};

Schema* CliJson::schema_ = nullptr;

TEST_F(CliJson, EveryCommandPrintsTheFormTheReadmeDescribes) {
    auto u = StartUnit();
    const std::string port = u->DevicePath();
    ScratchDir dir;
    const auto run = [&](std::vector<std::string> args, const CliSetup& setup = {}) {
        args.push_back("--json");
        return RunCli(args, dir.path(), 120000, setup);
    };
    ASSERT_EQ(RunCli({"backup", "--port", port, "a.dat"}, dir.path()).code, 0);
    ASSERT_EQ(RunCli({"export", "--port", port, "a.dia"}, dir.path()).code, 0);
    // The unit's stored programs change only by a restore: b.dat is a.dat with one program edited.
    ProgramBank bank;
    ASSERT_TRUE(ReadDat(dir / "a.dat", bank));
    bank.Programs[4].Mic12.MicLevel = 10;
    ASSERT_TRUE(WriteDat(dir / "b.dat", bank));

    CheckOutput("ports", run({"ports"}));
    CheckOutput("fields", run({"fields"}));
    CheckOutput("info", run({"info", "--port", port}));
    CheckOutput("get", run({"get", "--port", port, "Mic12.MicLevel", "ProgramName", "Scene1.Out1.Mute",
                            "System.ProgramNumber", "MusicLeft.Spare"}));
    CheckOutput("set", run({"set", "--port", port, "Mic12.MicLevel=-4dB", "Scene1.Out1.Mute=ON"}));
    CheckOutput("recall", run({"recall", "--port", port, "F2"}));
    CheckOutput("batch", run({"batch", "--port", port, "-"},
                             WithInput("get Mic12.MicLevel\nset Mic12.MicLevel -3dB\nrecall 2\n")));
    CheckOutput("meters", run({"meters", "--port", port, "--count", "2"}), true);
    CheckOutput("show", run({"show", "a.dia"}));
    CheckOutput("show", run({"show", "a.dat"}));
    CheckOutput("diff", run({"diff", "a.dat", "b.dat"}), false, 1);
    CheckOutput("curve", run({"curve", "a.dia", "--block", "Mic12"}));
    CheckOutput("curve", run({"curve", "a.dat", "--program", "F2", "--block", "Out1"}));
    CheckOutput("curve", run({"curve", "--port", port, "--block", "MusicLeft"}));
    {
        std::ofstream room(dir / "room.txt");
        for (double hz = 20; hz < 20000; hz *= 1.1)
            room << hz << " " << (hz > 200 && hz < 400 ? 3 : 0) << "\n";
    }
    CheckOutput("autoeq",
                run({"autoeq", "--block", "Mic12", "--measurement", "room.txt", "--from", "a.dia"}));
    CheckOutput("autoeq",
                run({"autoeq", "--port", port, "--block", "Out1", "--measurement", "room.txt", "--dry-run"}));
    CliSetup untilListening;  // serve runs until stopped: stopped once its line is out
    untilListening.whileRunning = [](const CliRun& r) {
        return r.out.find('\n') != std::string::npos ? SIGTERM : 0;
    };
    CheckOutput("serve", run({"serve", "--port", port, "--listen", "127.0.0.1:0"}, untilListening), true);

    // Everything the note lists is printed by some run: the note holds nothing that is never there
    // (ports aside: what they print depends on the machine).
    for (const auto& [command, documented] : seen_)
        for (const std::string& p : documented) {
            if (command == "ports") continue;
            const std::string bare = p.substr(0, p.find('='));
            EXPECT_TRUE(found_[command].count(bare)) << command << ": " << p << " is never printed";
        }
}

}  // namespace
}  // namespace pavo::clitest
