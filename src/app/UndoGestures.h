#pragma once
// Where the user's gestures begin and end, so that each becomes one step of the undo history; and
// undo and redo in the main window: Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y and two context-menu entries.
//
// The pages know nothing of it. An application event filter watches the main window's input:
//  - a mouse press, a key press or a wheel turn begins a gesture: whatever changed before it is
//    committed first, as the step of the gesture before;
//  - once the mouse buttons are up, after a key or a wheel event, and once a combo's list has closed,
//    the changes of the gesture are committed, as soon as the event has been handled and what the
//    controls posted for it (a slider reports its last position by a posted message) is delivered;
//  - repeated keys and wheel notches on one control, less than a second apart, join one step.
// The main window tells it about the rest: a full read from the unit starts a fresh history and
// records nothing until the unit's program has arrived; a recalled program joins the step of its
// recall command; an import is a step of its own; storing a program and password commands are
// operations on the unit, never steps; a program from the unit that answers no recall never is one.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

#include "model/UndoHistory.h"
#include "platform/WinMessage.h"
#include "unit/Unit.h"

class QMenu;
class QWidget;

namespace pavo {

class UndoGestures : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> busy;  // a transfer holds the window: no undo now
        // An undo or redo has just restored the records; runs under the send lock.
        std::function<void(const UndoStep& applied)> applied;
        // Then, without the lock, and after a command run as a step: show the records.
        std::function<void()> restored;
    };

    // The gestures in `window` edit `unit`, whose undo history they fill.
    UndoGestures(QWidget& window, Unit& unit, Hooks hooks);
    ~UndoGestures() override;

    UndoHistory& history() { return history_; }
    const UndoHistory& history() const { return history_; }
    // Repeats on one control closer than this join one step (one second; tests choose their own).
    void SetJoinWindow(int ms) { joinMs_ = ms; }

    // Each commits what is still open first; false when there was nothing to do or now is no time.
    bool Undo();
    bool Redo();
    // "Undo: <what>" / "撤销: <what>", and the same for redo; the bare word when there is none.
    QString UndoText() const;
    QString RedoText() const;
    void AddMenuEntries(QMenu& menu);

    // What the main window hears that bears on the history.
    void DeviceFound();  // the full read begins
    void SystemReceived();
    void ProgramReceived(bool answersRecall);  // after the window has shown it
    void LinkLost();
    void BeforeDeviceCommand(unsigned command, unsigned argument, bool connected);
    void AfterImport(StepKind kind);
    // Runs a command that changes the records without a gesture in the window (an automatic EQ, an
    // edit from the remote control) and makes what it changed one step tagged `tag`: what the user
    // still had open is committed first, as the step before, and the user's next repeat joins nothing
    // before it. The check and the command run under the send lock, so that no transfer begins
    // between them; then the pages show the records, and what they write meanwhile is no step.
    // False, and the command not run, while a transfer or a read holds the window.
    bool RunAsStep(StepTag tag, const std::function<void()>& command);
    bool RunAsStep(StepKind kind, const std::function<void()>& command) {
        return RunAsStep({kind, 0}, command);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    enum class Hold { None, Reading, Recall };

    bool InWindow(QObject* watched) const;
    bool KeepsOwnUndo(QObject* watched, bool redo) const;
    // Key repeats and wheel notches on one control join one step: the control and the key (or the
    // wheel) of a gesture.
    struct Repeat {
        const QObject* control = nullptr;  // none: the gesture joins nothing
        int input = 0;                     // a key code, or kWheel
        bool operator==(const Repeat&) const = default;
    };
    static constexpr int kWheel = -1;

    void BeginGesture(Repeat repeat);
    void ScheduleCommit();
    void CommitGesture();
    void EndHold();
    bool Restore(bool redo);

    QWidget& window_;
    Unit& unit_;
    Hooks hooks_;
    UndoHistory& history_;
    Hold hold_ = Hold::None;
    Qt::MouseButtons buttons_ = Qt::NoButton;
    StepTag tag_;          // what the open gesture is, when the main window knows better
    bool absorb_ = false;  // the open gesture worked on the unit: its changes are no step
    Repeat repeat_;        // of the open gesture
    Repeat lastRepeat_;    // of the newest step
    QElapsedTimer sinceLastStep_;
    int joinMs_ = 1000;
    bool commitScheduled_ = false;
};

}  // namespace pavo
