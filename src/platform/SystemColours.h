#pragma once
// The system's 3-D colours (button face, shadow, highlight), taken from the application palette so the
// skinned controls agree with the standard ones around them.
#include <QApplication>
#include <QColor>
#include <QPalette>

namespace pavo {

inline QColor ButtonFaceColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}
inline QColor ButtonShadowColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Dark);
}
inline QColor ButtonHighlightColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Light);
}

}  // namespace pavo
