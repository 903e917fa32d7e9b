#include "controls/EnglishEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include "controls/EditColours.h"
#include "platform/ControlId.h"
#include "platform/Skin.h"
#include "platform/WinMessage.h"

namespace pavo {

namespace {

// A character that does not fit one byte (every character of an input method among them).
bool IsWideCharacter(QChar c) {
    return c.unicode() >= 0x80;
}

// Whether the key delivers a character to the edit. Delete and the cursor keys do not; Backspace and
// control characters such as Ctrl+V do. Tab, Enter and Escape belong to the dialog.
bool DeliversCharacter(const QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace) return true;
    if (e->key() == Qt::Key_Delete) return false;
    const QString t = e->text();
    if (t.isEmpty()) return false;
    const char16_t c = t.at(0).unicode();
    return c != u'\t' && c != u'\r' && c != u'\n' && c != 0x1B && c != 0x7F;
}

}  // namespace

EnglishEdit::EnglishEdit(QWidget* parent) : QLineEdit(parent) {
    SetEditColours(*this, kTextColour, kBackgroundColour);
    // Typed characters come as key presses, never as input-method text.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhLatinOnly);
    connect(this, &QLineEdit::textChanged, this, [this] { InvalidateParent(); });
}

void EnglishEdit::keyPressEvent(QKeyEvent* e) {
    const QString t = e->text();
    if (!t.isEmpty() && IsWideCharacter(t.at(0))) {
        e->accept();
        return;
    }
    const bool character = DeliversCharacter(e);
    QLineEdit::keyPressEvent(e);
    if (character) NotifyParent();
}

// Input methods are switched off, but echo-mode and read-only changes of the line edit may switch them
// on again; text they commit is filtered like typed characters, one notification per kept character.
void EnglishEdit::inputMethodEvent(QInputMethodEvent* e) {
    QString kept;
    for (QChar c : e->commitString())
        if (!IsWideCharacter(c)) kept += c;
    if (kept.size() == e->commitString().size()) {
        QLineEdit::inputMethodEvent(e);
    } else {
        QInputMethodEvent filtered(e->preeditString(), e->attributes());
        filtered.setCommitString(kept, e->replacementStart(), e->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
    }
    for (qsizetype i = 0; i < kept.size(); ++i) NotifyParent();
}

void EnglishEdit::NotifyParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    SendMessage(parent, WM_COMMAND, MakeCommand(ControlId(this), EN_CHANGE),
                reinterpret_cast<LParam>(parent));
}

// The edit's own change notification stays here: it only refreshes the parent under the edit.
void EnglishEdit::InvalidateParent() {
    if (QWidget* parent = parentWidget()) parent->update(geometry().adjusted(2, 2, -2, -2));
}

}  // namespace pavo
