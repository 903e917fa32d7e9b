#include "controls/NumEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPalette>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "controls/BitmapSlider.h"
#include "controls/EditColours.h"
#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "platform/ControlId.h"
#include "platform/Skin.h"
#include "platform/WinMessage.h"

namespace pavo {

namespace {

constexpr double kLowestFrequency = 19.7;
constexpr double kHighestFrequency = 20600.0;
constexpr double kLowestQ = 0.4;
constexpr double kHighestQ = 128.0;
constexpr double kOffValue = -120.0;  // what "OFF" stands for in a scaled edit
constexpr int kVkLeft = 0x25;
constexpr int kVkRight = 0x27;

bool IsTypingCharacter(QChar c) {
    return c.isDigit() || c == u'-' || c == u'.' || c == u'\b' || c == u'\t';
}

}  // namespace

double LeadingNumber(const QString& text) {
    // Optional blanks and sign, digits with one decimal point, an optional exponent; the rest is
    // ignored. Read with the C locale whatever the user's locale is.
    const QString t = text.trimmed();
    int i = 0;
    const int n = static_cast<int>(t.size());
    if (i < n && (t[i] == u'-' || t[i] == u'+')) ++i;
    int digits = 0;
    while (i < n && t[i].isDigit()) ++i, ++digits;
    if (i < n && t[i] == u'.') {
        ++i;
        while (i < n && t[i].isDigit()) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        int j = i + 1;
        if (j < n && (t[j] == u'-' || t[j] == u'+')) ++j;
        if (j < n && t[j].isDigit()) {
            while (j < n && t[j].isDigit()) ++j;
            i = j;
        }
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(QStringView(t).left(i), &ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

NumEdit::NumEdit(QWidget* parent)
    : QLineEdit(parent), textColour_(kWhite), backgroundColour_(kControlBackground) {
    ApplyColours();
    connect(this, &QLineEdit::textEdited, this, [this] {
        pendingText_ = true;
        update();
    });
}

void NumEdit::SetKind(int kind, const QString& unit) {
    kind_ = kind;
    unit_ = unit;
    Refresh();
}

void NumEdit::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
    value_ = min;
}

void NumEdit::SetValue(int code) {
    if (code < min_ || code > max_) return;
    value_ = code;
    Refresh();
}

QString NumEdit::TextOfCode(int code) const {
    switch (kind_) {
        case Frequency: {
            const double f = FrequencyOfCode(code);
            return QString::asprintf(f < 101 ? "%.1f" : "%.0f", f) + unit_;
        }
        case Q:
            return QString::asprintf("%0.3f", QTable()[std::clamp(code, 0, kQCodes - 1)]);
        case Scaled:
            return QString::asprintf("%0.1f", code * scale_ - offset_);
        default:
            return text();
    }
}

void NumEdit::Refresh() {
    if (kind_ == Frequency || kind_ == Q || kind_ == Scaled) setText(TextOfCode(value_));
    update();
}

double NumEdit::TypedNumber() const {
    if (kind_ == Scaled && text().trimmed().compare(QStringLiteral("OFF"), Qt::CaseInsensitive) == 0)
        return kOffValue;
    return LeadingNumber(text());
}

// The code of a scaled value. The small allowance keeps a value the edit itself shows (such as
// -23.8 for 0.2 per code) from truncating to the code below through binary rounding. The callers limit
// the value to the range first; should the arithmetic still leave it (a scale of 0), the checked
// conversion keeps the code the edit has rather than converting a double outside an int.
int NumEdit::ScaledCode(double value) const {
    return CodeInRange(std::trunc((value + offset_) * 10.0 / (scale_ * 10.0) + 1e-6), min_, max_)
        .value_or(value_);
}

int NumEdit::GetValue() {
    if (pendingText_) {
        const double x = TypedNumber();
        switch (kind_) {
            case Frequency:
                if (x >= kLowestFrequency && x <= kHighestFrequency) value_ = NearestFrequencyCode(x);
                break;
            case Q:
                value_ = NearestQCode(std::clamp(x, kLowestQ, kHighestQ));
                break;
            case Scaled:
                if (x >= ScaledLow() && x <= ScaledHigh()) value_ = ScaledCode(x);
                break;
            default:
                break;
        }
        pendingText_ = false;
    }
    return value_;
}

void NumEdit::NotifyChanged() {
    SendMessage(parentWidget(), WM_NUMEDIT_CHANGED, 0, ControlId(this));
}

void NumEdit::StepBy(int step) {
    const int v = value_ + step;
    if (v > max_) {
        value_ = max_;
        return;
    }
    if (v < min_) {
        value_ = min_;
        return;
    }
    value_ = v;
    Refresh();
    NotifyChanged();
}

void NumEdit::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (isReadOnly() && (mods & Qt::ShiftModifier)) return;
    if (!(mods & Qt::ControlModifier)) {
        switch (e->key()) {
            case Qt::Key_Up:
                StepBy(1);
                break;
            case Qt::Key_Down:
                StepBy(-1);
                break;
            case Qt::Key_Left:
            case Qt::Key_Right:
                PostMessage(parentWidget(), WM_NUMEDIT_ARROW, static_cast<WParam>(ControlId(this)),
                            e->key() == Qt::Key_Left ? kVkLeft : kVkRight);
                break;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // Enter keeps the edit and puts the caret at the start; the value commits on leaving.
                setFocus(Qt::OtherFocusReason);
                deselect();
                setCursorPosition(0);
                return;
            default:
                break;
        }
        // Only numeric typing reaches the edit; shortcuts (Ctrl held) and keys without text pass.
        const QString t = e->text();
        if (t.size() == 1 && t[0].isPrint() && !IsTypingCharacter(t[0])) return;
        if (t.size() == 1 && t[0].isHighSurrogate()) return;
        if (t.size() > 1) {
            for (QChar c : t)
                if (!IsTypingCharacter(c)) return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void NumEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    update();
    if (buddy_) buddy_->SetHighlight(true);
    // A click places the caret itself; every other way in selects the whole text.
    if (!isReadOnly() && e->reason() != Qt::MouseFocusReason) selectAll();
}

void NumEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // A context menu opening over the edit does not end the typing.
    if (e->reason() == Qt::PopupFocusReason) return;
    const double x = TypedNumber();
    switch (kind_) {
        case Frequency:
            // The text is re-read even when nothing was typed.
            value_ = NearestFrequencyCode(std::clamp(x, kLowestFrequency, kHighestFrequency));
            if (pendingText_) {
                Refresh();
                NotifyChanged();
            }
            break;
        case Q:
            if (pendingText_) {
                value_ = NearestQCode(std::clamp(x, kLowestQ, kHighestQ));
                Refresh();
                NotifyChanged();
            }
            break;
        case Scaled:
            if (pendingText_) {
                value_ = ScaledCode(std::clamp(x, ScaledLow(), ScaledHigh()));
                Refresh();
                NotifyChanged();
            }
            break;
        default:
            break;
    }
    update();
    if (buddy_) buddy_->SetHighlight(false);
}

void NumEdit::wheelEvent(QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    // Only the edit with the focus steps: a wheel turned while passing over it changes nothing.
    if (delta == 0 || !hasFocus()) {
        e->ignore();
        return;
    }
    wheelAccumulator_ = static_cast<int16_t>(std::clamp(wheelAccumulator_ + delta, -120, 120));
    if (wheelAccumulator_ == -120) {
        SetValue(value_ - 1);
        wheelAccumulator_ = 0;
    } else if (wheelAccumulator_ == 120) {
        SetValue(value_ + 1);
        wheelAccumulator_ = 0;
    }
    NotifyChanged();
    e->accept();
}

void NumEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        NotifyChanged();
        update();
    }
    QLineEdit::mousePressEvent(e);
}

void NumEdit::SetTextColour(uint32_t colour) {
    textColour_ = colour;
    ApplyColours();
}

void NumEdit::SetBackgroundColour(uint32_t colour) {
    backgroundColour_ = colour;
    ApplyColours();
}

void NumEdit::ApplyColours() {
    SetEditColours(*this, textColour_, backgroundColour_);
}

}  // namespace pavo
