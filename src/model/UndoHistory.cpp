#include "model/UndoHistory.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "model/Model.h"

namespace pavo {

namespace {

constexpr size_t kPasswordsFirst = offsetof(SystemRecord, PanelPassword);
constexpr size_t kPasswordsEnd = offsetof(SystemRecord, SystemPassword) + kSystemPasswordLength;
static_assert(offsetof(SystemRecord, SystemPassword) == kPasswordsFirst + kPanelPasswordLength);

bool Recorded(EditedRecord record, size_t offset) {
    return record == EditedRecord::Program || offset < kPasswordsFirst || offset >= kPasswordsEnd;
}

uint8_t* RecordBytes(EditedRecords& r, EditedRecord which) {
    return which == EditedRecord::Program ? BytesOf(r.image) : BytesOf(r.system);
}

void DiffRecord(EditedRecord which, const uint8_t* from, const uint8_t* to, size_t size, UndoStep& step) {
    size_t i = 0;
    while (i < size) {
        if (from[i] == to[i] || !Recorded(which, i)) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < size && from[i] != to[i] && Recorded(which, i)) ++i;
        const auto data = static_cast<uint32_t>(step.before.size());
        step.runs.push_back({which, static_cast<uint16_t>(start), static_cast<uint16_t>(i - start), data});
        step.before.insert(step.before.end(), from + start, from + i);
        step.after.insert(step.after.end(), to + start, to + i);
    }
}

bool TouchesProgram(const UndoStep& step) {
    return std::any_of(step.runs.begin(), step.runs.end(),
                       [](const ChangedRun& r) { return r.record == EditedRecord::Program; });
}

}  // namespace

EditedRecords CopyEditedRecords(const Model& m) {
    std::lock_guard<std::mutex> guard(m.Lock());
    EditedRecords r;
    CopyRecord(r.image, m.current);
    CopyRecord(r.system, m.system);
    return r;
}

UndoStep DiffRecords(const EditedRecords& from, const EditedRecords& to) {
    UndoStep step;
    DiffRecord(EditedRecord::Program, BytesOf(from.image), BytesOf(to.image), sizeof(ProgramImage), step);
    DiffRecord(EditedRecord::System, BytesOf(from.system), BytesOf(to.system), sizeof(SystemRecord), step);
    return step;
}

void ApplyStep(const UndoStep& step, bool forward, EditedRecords& records) {
    const std::vector<uint8_t>& bytes = forward ? step.after : step.before;
    for (const ChangedRun& run : step.runs)
        std::memcpy(RecordBytes(records, run.record) + run.offset, bytes.data() + run.data, run.length);
}

UndoHistory::UndoHistory(Model& model, size_t depth)
    : model_(model), depth_(std::max<size_t>(depth, 1)), baseline_(CopyEditedRecords(model)) {}

bool UndoHistory::Commit(StepTag tag, bool mergeWithLast) {
    EditedRecords now = CopyEditedRecords(model_);
    UndoStep step = DiffRecords(baseline_, now);
    if (step.runs.empty()) {
        baseline_ = now;  // bytes that are never recorded may have changed
        return false;
    }
    redo_.clear();
    if (mergeWithLast && lastIsNewest_ && !undo_.empty()) {
        // The records before the newest step, then one step from there to now.
        EditedRecords start = baseline_;
        ApplyStep(undo_.back(), false, start);
        UndoStep joined = DiffRecords(start, now);
        joined.tag = undo_.back().tag;
        undo_.pop_back();
        // Changes that cancel out leave no step, and nothing older to join.
        lastIsNewest_ = !joined.runs.empty();
        if (lastIsNewest_) undo_.push_back(std::move(joined));
    } else {
        step.tag = tag;
        undo_.push_back(std::move(step));
        if (undo_.size() > depth_) undo_.pop_front();
        lastIsNewest_ = true;
    }
    baseline_ = now;
    return true;
}

bool UndoHistory::HasChanges() const {
    return !DiffRecords(baseline_, CopyEditedRecords(model_)).runs.empty();
}

void UndoHistory::Rebase() {
    baseline_ = CopyEditedRecords(model_);
    lastIsNewest_ = false;
}

void UndoHistory::Clear() {
    undo_.clear();
    redo_.clear();
    Rebase();
}

bool UndoHistory::Undo() {
    Commit();
    if (undo_.empty()) return false;
    UndoStep step = std::move(undo_.back());
    undo_.pop_back();
    Apply(step, false);
    redo_.push_back(std::move(step));
    return true;
}

bool UndoHistory::Redo() {
    Commit();
    if (redo_.empty()) return false;
    UndoStep step = std::move(redo_.back());
    redo_.pop_back();
    Apply(step, true);
    undo_.push_back(std::move(step));
    return true;
}

void UndoHistory::Apply(const UndoStep& step, bool forward) {
    {
        Model& m = model_;
        std::lock_guard<std::mutex> guard(m.Lock());
        EditedRecords live;
        CopyRecord(live.image, m.current);
        CopyRecord(live.system, m.system);
        ApplyStep(step, forward, live);
        CopyRecord(m.current, live.image);
        CopyRecord(m.system, live.system);
        baseline_ = live;
    }
    lastIsNewest_ = false;
    // The band sets keep each band's response: they re-read the restored records.
    if (TouchesProgram(step)) model_.RecordsReplaced();
}

}  // namespace pavo
