#pragma once
// The parameter model of one unit, its block numbers and the operations of its reset and links.
#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <mutex>
#include <string>
#include <utility>

#include "model/Blocks.h"
#include "model/Flags.h"
#include "model/StatusState.h"

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

// The tab index of the system page, the one page that shows the status meters.
constexpr int kSystemPageIndex = 5;

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

// One unit's parameters: the current and last-sent program image and system record, the program bank,
// the scene selector, the page selection, the password entry buffer, the link flags and the status
// areas, with the lock that guards them. Each Unit owns one; nothing here is process-wide.
//
// The model lock is a short mutex that makes an edit and a scan (or a received record being stored)
// mutually exclusive, so a scan never reads a half-written multi-byte field. Hold it only for the
// stores or the comparison themselves: never across I/O, a pause, a modal dialog, or a call that
// takes another lock. Lock order: the send lock first, then the model lock; never the reverse.
//
//     model.Edit([&] { model.current.MusicLeft.EqBypass = 1; });
//     const int scene = model.Edit([&] { return model.scene.EditedScene(); });
//
// The records version counts writes that band sets cannot see: whole records replaced (a received
// program, an import, a reset, an undo), link copies, band resets and fields written by path (the
// command-line tool, the remote). Band sets re-read their records when it has moved.
struct Model {
    Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // Zero before the reset: it leaves a few fields alone (mutes, mic levels, sensitivity).
    ProgramImage current{};
    ProgramImage lastSent{};
    SystemRecord system{};
    SystemRecord lastSentSystem{};
    ProgramBank bank{};
    SceneSelector scene;
    PageSelection pages;
    // Filled by the system page: bytes 4..7 new panel password, 14..19 new system password.
    std::array<uint8_t, kPasswordEntryLength> passwordEntry{};
    PresetPaths paths;
    UnitFlags flags;
    StatusState status;

    OutputScene& EditedScene() { return current.Scenes[scene.EditedScene() - 1]; }

    std::mutex& Lock() const { return lock_; }
    template <class F>
    decltype(auto) Edit(F&& edit) const {
        std::lock_guard<std::mutex> guard(lock_);
        return std::forward<F>(edit)();
    }

    uint64_t RecordsVersion() const { return recordsVersion_.load(std::memory_order_acquire); }
    void RecordsReplaced() { recordsVersion_.fetch_add(1, std::memory_order_acq_rel); }

private:
    mutable std::mutex lock_;
    std::atomic<uint64_t> recordsVersion_{0};
};

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

// The factory state of every record (the status areas and poll toggle too). `createModeFolder` false:
// the preset folder "Mode" is not created in the current directory (tools that borrow a model, such
// as pavo-cli, must not leave folders where they are run).
void ResetParameters(Model& model, bool createModeFolder = true);
void ResetEqBands(Model& model, int blockNumber);
// The link copies: the leading channel over its partner, in the current and the last-sent image.
void LinkMusic(Model& model);
void LinkMic(Model& model);
void LinkOutputPair(Model& model, int blockNumber);
// Declares the current image (and with `withSystem` the system record) sent.
void AcceptProgram(Model& model, bool withSystem);

}  // namespace pavo
