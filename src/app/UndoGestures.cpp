#include "app/UndoGestures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>

#include "app/UndoNames.h"
#include "controls/BitmapSlider.h"  // NumEdit holds a pointer to its buddy slider
#include "controls/NumEdit.h"
#include "model/Model.h"
#include "platform/Language.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"
#include "protocol/RestoredLinks.h"

namespace pavo {

namespace {

enum class ShortcutKind { None, Undo, Redo };

ShortcutKind ShortcutOf(const QKeyEvent* k) {
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    if (k->key() == Qt::Key_Z && mods == Qt::ControlModifier) return ShortcutKind::Undo;
    if (k->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) return ShortcutKind::Redo;
    if (k->key() == Qt::Key_Y && mods == Qt::ControlModifier) return ShortcutKind::Redo;
    return ShortcutKind::None;
}

}  // namespace

UndoGestures::UndoGestures(QWidget& window, Unit& unit, Hooks hooks)
    : window_(window), unit_(unit), hooks_(std::move(hooks)), history_(unit.history()) {
    sinceLastStep_.start();
    qApp->installEventFilter(this);
}

UndoGestures::~UndoGestures() {
    qApp->removeEventFilter(this);
}

bool UndoGestures::InWindow(QObject* watched) const {
    auto* w = qobject_cast<QWidget*>(watched);
    return w && w->window() == &window_;
}

// An edit being typed into keeps Ctrl+Z for its own text while it has typing to take back; once the
// value is committed (and shown again) the keys undo edits of the model.
bool UndoGestures::KeepsOwnUndo(QObject* watched, bool redo) const {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || edit->isReadOnly()) return false;
    if (auto* number = qobject_cast<NumEdit*>(edit); number && number->HasPendingText()) return true;
    return redo ? edit->isRedoAvailable() : edit->isUndoAvailable();
}

bool UndoGestures::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* m = static_cast<QMouseEvent*>(e);
            if (InWindow(watched) && buttons_ == Qt::NoButton) BeginGesture({});
            buttons_ = m->buttons() | m->button();
            break;
        }
        case QEvent::MouseButtonRelease:
            buttons_ = static_cast<QMouseEvent*>(e)->buttons();
            if (buttons_ == Qt::NoButton) ScheduleCommit();
            break;
        case QEvent::MouseMove:
            // A release the application never saw (the button let go elsewhere).
            if (static_cast<QMouseEvent*>(e)->buttons() == Qt::NoButton) buttons_ = Qt::NoButton;
            break;
        case QEvent::Wheel:
            if (InWindow(watched)) {
                BeginGesture({watched, kWheel});
                ScheduleCommit();
            }
            break;
        case QEvent::KeyPress: {
            const auto* k = static_cast<QKeyEvent*>(e);
            if (!InWindow(watched)) {
                ScheduleCommit();  // keys in a combo's list
                break;
            }
            const ShortcutKind shortcut = ShortcutOf(k);
            if (shortcut != ShortcutKind::None && !KeepsOwnUndo(watched, shortcut == ShortcutKind::Redo)) {
                if (shortcut == ShortcutKind::Undo)
                    Undo();
                else
                    Redo();
                return true;
            }
            if (shortcut == ShortcutKind::None) BeginGesture({watched, k->key()});
            ScheduleCommit();
            break;
        }
        case QEvent::KeyRelease:
            ScheduleCommit();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, e);
}

void UndoGestures::BeginGesture(Repeat repeat) {
    if (hold_ != Hold::None) EndHold();
    CommitGesture();  // late changes of the gesture before
    tag_ = {};
    absorb_ = false;
    repeat_ = repeat;
}

// The gesture has ended (a release, a key, a wheel notch, a choice): its step is committed once the
// event has been handled and what the controls posted for it (a slider's last position, a typed
// value) has reached the model.
void UndoGestures::ScheduleCommit() {
    if (commitScheduled_) return;
    commitScheduled_ = true;
    WhenMessagesDelivered(this, [this] {
        commitScheduled_ = false;
        CommitGesture();
    });
}

void UndoGestures::CommitGesture() {
    if (hold_ != Hold::None || buttons_ != Qt::NoButton || QApplication::activePopupWidget()) return;
    if (absorb_) {
        history_.Rebase();
        return;
    }
    const bool join = repeat_.control && repeat_ == lastRepeat_ && sinceLastStep_.elapsed() < joinMs_;
    if (history_.Commit(tag_, join)) {
        lastRepeat_ = repeat_;
        sinceLastStep_.restart();
    }
}

// A hold that outlived its cause: the read or the recall ended without the program (the unit
// answered otherwise, or the link went away). A read that ended early keeps the history when the
// records are back as they were before it.
void UndoGestures::EndHold() {
    const Hold was = hold_;
    hold_ = Hold::None;
    if (was == Hold::Reading && history_.HasChanges()) history_.Clear();
    if (was == Hold::Recall) CommitGesture();
}

bool UndoGestures::Undo() {
    return Restore(false);
}

bool UndoGestures::Redo() {
    return Restore(true);
}

bool UndoGestures::Restore(bool redo) {
    if (hold_ != Hold::None || buttons_ != Qt::NoButton || (hooks_.busy && hooks_.busy())) return false;
    CommitGesture();
    // A link byte and its channel go back together as far as the scanner can see.
    ProtocolHandler& handler = unit_.handler();
    Model& m = unit_.model();
    const bool done = handler.WithSendLock([&] {
        const ProgramImage before = m.Edit([&] { return m.current; });
        if (!(redo ? history_.Redo() : history_.Undo())) return false;
        const UndoStep& applied = redo ? *history_.NextUndo() : *history_.NextRedo();
        if (!BringsWholeProgram(applied.tag.kind) && m.flags.connected.load())
            SendLinksTurnedOff(handler, before);
        if (hooks_.applied) hooks_.applied(applied);
        return true;
    });
    if (!done) return false;
    lastRepeat_ = {};
    if (hooks_.restored) hooks_.restored();
    history_.Rebase();  // what the pages write while they show the records is no step
    return true;
}

QString UndoGestures::UndoText() const {
    return UndoMenuText(history_.NextUndo(), false);
}

QString UndoGestures::RedoText() const {
    return UndoMenuText(history_.NextRedo(), true);
}

void UndoGestures::AddMenuEntries(QMenu& menu) {
    CommitGesture();
    // Names such as "Mic1&2 Phantom" keep their ampersand in a menu.
    auto entry = [](QString text) { return text.replace(u'&', QStringLiteral("&&")); };
    QAction* undo = menu.addAction(entry(UndoText()), this, [this] { Undo(); });
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setEnabled(history_.CanUndo());
    QAction* redo = menu.addAction(entry(RedoText()), this, [this] { Redo(); });
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    redo->setEnabled(history_.CanRedo());
}

// The full read: nothing is recorded until the unit's program is in; then the history starts afresh.
void UndoGestures::DeviceFound() {
    CommitGesture();
    hold_ = Hold::Reading;
}

void UndoGestures::SystemReceived() {
    if (hold_ == Hold::None) history_.Rebase();  // never a step, whenever it comes
}

void UndoGestures::ProgramReceived(bool answersRecall) {
    const Hold was = hold_;
    hold_ = Hold::None;
    if (!answersRecall) {
        history_.Clear();
        return;
    }
    // Normally the recall command's gesture waits for it; one arriving later is a step of its own.
    StepTag tag = tag_;
    if (was != Hold::Recall) {
        const Model& m = unit_.model();
        tag = {StepKind::Recall, m.Edit([&] { return int(m.system.ProgramNumber); })};
    }
    if (history_.Commit(tag)) lastRepeat_ = {};
}

void UndoGestures::LinkLost() {
    if (hold_ != Hold::None) EndHold();
}

void UndoGestures::BeforeDeviceCommand(unsigned command, unsigned argument, bool connected) {
    switch (command) {
        case CmdRecall:
            tag_ = {StepKind::Recall, static_cast<int>(argument)};
            // On line the program arrives later; until then the gesture stays open.
            if (connected) hold_ = Hold::Recall;
            break;
        case CmdStore:
        case CmdSystemPassword:
        case CmdPanelPassword:
            absorb_ = true;
            break;
        default:
            break;
    }
}

bool UndoGestures::RunAsStep(StepTag tag, const std::function<void()>& command) {
    const bool ran = unit_.handler().WithSendLock([&] {
        if (hold_ != Hold::None || (hooks_.busy && hooks_.busy())) return false;
        if (absorb_)
            history_.Rebase();
        else
            history_.Commit(tag_);
        tag_ = {};
        absorb_ = false;
        repeat_ = {};
        command();
        history_.Commit(tag);
        lastRepeat_ = {};
        sinceLastStep_.restart();
        return true;
    });
    if (!ran) return false;
    if (hooks_.restored) hooks_.restored();
    history_.Rebase();
    return true;
}

void UndoGestures::AfterImport(StepKind kind) {
    tag_ = {kind, 0};
    absorb_ = false;  // an import is a step even where the gesture before worked on the unit
    CommitGesture();
}

}  // namespace pavo
