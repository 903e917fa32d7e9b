#include "controls/Edit_Static.h"

#include <algorithm>

#include "controls/StaticText.h"
#include "model/DataConver.h"
#include "platform/Skin.h"

namespace pavo {

Edit_Static::Edit_Static(QWidget* parent) : QLabel(parent), enabledColour_(kWhite), disabledColour_(kWhite) {
    // The private redraw message: a second repaint once the new text is in place.
    OnMessage(WM_LABEL_REDRAW, [this](WParam, LParam) -> LResult {
        update();
        return 0;
    });
}

void Edit_Static::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
}

void Edit_Static::SetIntScale(int scale, int offset, const QString& unit) {
    intScale_ = scale;
    intOffset_ = offset;
    unit_ = unit;
}

void Edit_Static::SetRealScale(double scale, double offset, const QString& unit) {
    realScale_ = scale;
    realOffset_ = offset;
    unit_ = unit;
}

void Edit_Static::SetTextColours(uint32_t enabled, uint32_t disabled) {
    enabledColour_ = enabled;
    disabledColour_ = disabled;
    update();
}

QString Edit_Static::TextOfCode(int c) const {
    switch (kind_) {
        case Attack:
            return QString::fromUtf8(LabelOf(AttackLabels, c)) + unit_;
        case Release:
            return QString::fromUtf8(LabelOf(ReleaseLabels, c)) + unit_;
        case Ratio:
            return QString::fromUtf8(LabelOf(RatioLabels, c)) + unit_;
        case Real:
            return QString::asprintf("%.1f", c * realScale_ - realOffset_) + unit_;
        case Integer:
            return QString::asprintf("%d", c * intScale_ - intOffset_) + unit_;
        case OffOrInteger:
            if (c == min_) return QStringLiteral("OFF");
            return QString::asprintf("%d", c * intScale_ - intOffset_) + unit_;
        case Distance:
            return QString::asprintf("%.3fm", c / 10.0 * 0.34) + unit_;
        case Tenths:
            return (c % 10 == 0 ? QString::number(c / 10) : QString::asprintf("%.1f", c / 10.0)) + unit_;
        default:
            return text();
    }
}

void Edit_Static::SetValue(int code) {
    value_ = code;
    if (code > max_) value_ = max_;
    if (code < min_) value_ = min_;
    setText(TextOfCode(value_));
    update();
    PostMessage(this, WM_LABEL_REDRAW, 0, 0);
}

void Edit_Static::paintEvent(QPaintEvent*) {
    const uint32_t colour = isEnabled() ? enabledColour_ : disabledColour_;
    DrawStaticText(this, font_ ? *font_ : font(), ColorRef(colour));
}

}  // namespace pavo
