#include "controls/Trackbar.h"

#include "platform/ControlId.h"

namespace pavo {

Trackbar::Trackbar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setPageStep(1);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    connect(this, &QSlider::valueChanged, this, [this] {
        if (!settingFromCode_) Notify(isSliderDown() ? TB_THUMBTRACK : TB_THUMBPOSITION);
    });
    connect(this, &QSlider::sliderReleased, this, [this] { Notify(TB_ENDTRACK); });
}

void Trackbar::SetRange(int min, int max) {
    settingFromCode_ = true;
    setRange(min, max);
    settingFromCode_ = false;
}

void Trackbar::SetPos(int pos) {
    settingFromCode_ = true;
    setValue(pos);
    settingFromCode_ = false;
}

void Trackbar::Notify(unsigned code) {
    if (QWidget* parent = parentWidget())
        SendMessage(parent, WM_HSCROLL, static_cast<WParam>((code & 0xFFFF) | (value() << 16)),
                    ControlId(this));
}

}  // namespace pavo
