#pragma once
// The process-wide parameter model: current and last-sent program image and system record, the
// program bank, the scene selector, the page selection variables and the password entry buffer.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "model/Blocks.h"
#include "model/Flags.h"
#include "model/ModelLock.h"

namespace pavo {

// Block numbers; they are also the ids of the response graphs.
enum BlockNumber : int {
    BlockMusicLeft = 0,
    BlockMusicRight = 1,
    BlockMic12 = 2,
    BlockMic34 = 3,
    BlockEchoA = 4,
    BlockEchoB = 5,
    BlockReverb = 6,
    BlockReverbSpare = 7,
    BlockOutputFirst = 8,  // 8..15: output channels 0..7 of the edited scene
    BlockOutputLast = 15,
    BlockMusicLeftDyn = 16,
    BlockMusicRightDyn = 17,
};
constexpr int kBlockCount = 18;

// Gives the edited scene: ActiveScene when it is 1..3, otherwise the fallback (Scene1).
class SceneSelector {
public:
    void Bind(const uint8_t* activeScene, int fallback) {
        active_ = activeScene;
        fallback_ = fallback;
    }
    int EditedScene() const {  // 1..3
        const int a = active_ ? *active_ : 0;
        return a >= 1 && a <= 3 ? a : fallback_;
    }

private:
    const uint8_t* active_ = nullptr;
    int fallback_ = 1;
};

struct PageSelection {
    int32_t CurrentPage = 9;  // 9: no tab selected yet
    int32_t MusicSide = 0;
    int32_t MusicEqFirst = 0;
    int32_t MusicEqLast = 9;
    int32_t MicSide = BlockMic12;
    int32_t MicEqFirst = 0;
    int32_t MicEqLast = 9;
    int32_t EffectSide = BlockEchoA;
    int32_t DynEqSide = BlockMusicLeftDyn;
    int32_t Out34Side = 9;
    int32_t Out12Side = 13;
    int32_t SurroundSide = 14;
};

// Search patterns and folders for the preset-file dialogs, built once by the reset.
struct PresetPaths {
    std::string currentDirectory;
    std::string diaPatternLoad, diaPatternSave;  // <dir>/MusicFile/*.dia
    std::string datPatternLoad, datPatternSave;  // <dir>/MusicFile/*.dat
};

constexpr int kPasswordEntryLength = 21;

struct Model {
    ProgramImage current;
    ProgramImage lastSent;
    SystemRecord system;
    SystemRecord lastSentSystem;
    ProgramBank bank;
    SceneSelector scene;
    PageSelection pages;
    // Filled by the system page: bytes 4..7 new panel password, 14..19 new system password.
    std::array<uint8_t, kPasswordEntryLength> passwordEntry{};
    PresetPaths paths;

    OutputScene& EditedScene() { return current.Scenes[scene.EditedScene() - 1]; }
};

// The single instance, living for the whole run.
Model& TheModel();

// The factory passwords written by the reset (the unit's own replace them when its system record
// is read): panel "0000", system "000000".
inline constexpr char kFactoryPanelPassword[] = "0000";
inline constexpr char kFactorySystemPassword[] = "000000";

// The EQ bands of a block of the current image (8..15 in the edited scene; 16 and 17 have none, see
// DynEqBandsOf). Empty for unknown blocks.
std::span<EqBand> EqBandsOf(ProgramImage& image, int block, int editedScene);
std::span<DynEqBand> DynEqBandsOf(ProgramImage& image, int block);
// The default frequencies (Hz) of a block's bands; empty for unknown blocks.
std::span<const double> DefaultBandFrequencies(int block);

// `createModeFolder` false: the preset folder "Mode" is not created in the current directory (tools
// that borrow the model, such as pavo-cli, must not leave folders where they are run).
void ResetParameters(bool createModeFolder = true);
void ResetEqBands(int blockNumber);
void LinkMusic(bool rebind);
void LinkMic(bool rebind);
void LinkOutputPair(int blockNumber);
void AcceptProgram(bool withSystem);

}  // namespace pavo
