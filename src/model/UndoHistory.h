#pragma once
// Undo and redo of the user's edits.
//
// A step is what one user gesture changed in the current program image and the current system record:
// the runs of changed bytes, each with its bytes before and after. Undo writes the old bytes back into
// the current records, redo the new ones; the change scanner then finds the differences to the
// last-sent records and sends them like any edit, so the unit follows without frames of our own. The
// last-sent records are never part of a step: they say what the unit was told, and only the scanner
// and the whole-record transfers may change that. This also covers the link operations, which copy a
// channel into both images: restoring the current copy is enough, the scanner sends the unit whatever
// now differs from what it was last told. Only a link that a restore turns off needs more, because the
// unit then makes a copy of its own first (protocol/RestoredLinks.h, called by the main window).
//
// The passwords of the system record are not recorded: they change on the unit through their own
// command, which an undo cannot take back.
//
// The history keeps a baseline, the records as they were at the last commit, undo or redo; a commit
// records what changed since. It belongs to the thread that edits (the UI thread in the program). Every read
// and write of the model takes the model lock briefly; callers that need the scanner to see a whole restore
// at once (a link byte together with its channel) call Undo and Redo under the send lock.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "model/Blocks.h"
#include "model/Model.h"

namespace pavo {

// The records a step covers.
struct EditedRecords {
    ProgramImage image;
    SystemRecord system;
};

// What the gesture was, as far as the model can tell; ordinary edits are named by the fields they
// changed, and so are the edits that came through the remote control. An automatic EQ is a command
// of its own but changes bands like an edit.
enum class StepKind : uint8_t { Edit, ImportDia, ImportBank, Recall, AutoEq, Remote };

// Imports and recalls bring a whole program: taking one back sends the whole program again.
inline bool BringsWholeProgram(StepKind kind) {
    return kind == StepKind::ImportDia || kind == StepKind::ImportBank || kind == StepKind::Recall;
}

struct StepTag {
    StepKind kind = StepKind::Edit;
    int argument = 0;  // the program number of a recall, the field of a remote edit
};

enum class EditedRecord : uint8_t { Program, System };

// One run of changed bytes.
struct ChangedRun {
    EditedRecord record;
    uint16_t offset;  // in the record
    uint16_t length;
    uint32_t data;  // index of its bytes in the step's before and after buffers
};

struct UndoStep {
    StepTag tag;
    std::vector<ChangedRun> runs;  // in record order, program image first
    std::vector<uint8_t> before;
    std::vector<uint8_t> after;
};

class UndoHistory {
public:
    static constexpr size_t kDefaultDepth = 500;

    // Starts empty, with the model as it is now as its baseline.
    explicit UndoHistory(Model& model, size_t depth = kDefaultDepth);

    // Records what changed since the baseline as one step (and clears the redo list); the model now
    // becomes the baseline. With `mergeWithLast` the changes join the newest step instead, when it is
    // the last thing that happened (no undo since); the joined step is dropped if the two cancel out.
    // False when nothing changed.
    bool Commit(StepTag tag = {}, bool mergeWithLast = false);
    // The model now becomes the baseline: what changed since is never recorded (records received
    // from the unit, operations on the unit's stored programs).
    void Rebase();
    // Drops every step and rebases (a fresh read from the unit).
    void Clear();

    // Changes not committed yet are committed first, as their own step. Each returns whether a step
    // was applied; the band sets then re-read the restored records (the records version moves).
    bool Undo();
    bool Redo();

    // The records differ from the baseline (in bytes a step would record).
    bool HasChanges() const;

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    const UndoStep* NextUndo() const { return undo_.empty() ? nullptr : &undo_.back(); }
    const UndoStep* NextRedo() const { return redo_.empty() ? nullptr : &redo_.back(); }
    size_t UndoDepth() const { return undo_.size(); }
    size_t RedoDepth() const { return redo_.size(); }
    size_t Depth() const { return depth_; }

private:
    void Apply(const UndoStep& step, bool forward);

    Model& model_;
    size_t depth_;
    EditedRecords baseline_;
    std::deque<UndoStep> undo_;   // oldest first
    std::vector<UndoStep> redo_;  // next to redo last
    bool lastIsNewest_ = false;   // the newest step was committed after the last undo or redo
};

// The current records, copied under the model lock.
EditedRecords CopyEditedRecords(const Model& model);

// The step that turns `from` into `to` (runs of differing bytes; the passwords left out). No runs
// when they are equal.
UndoStep DiffRecords(const EditedRecords& from, const EditedRecords& to);

// Writes the step's bytes (after when `forward`, else before) into the records.
void ApplyStep(const UndoStep& step, bool forward, EditedRecords& records);

}  // namespace pavo
