#include "controls/TransparentStatic.h"

#include "controls/StaticText.h"
#include "platform/Skin.h"

namespace pavo {

CTransparentStatic::CTransparentStatic(QWidget* parent) : QLabel(parent) {}
CTransparentStatic::CTransparentStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void CTransparentStatic::paintEvent(QPaintEvent*) {
    DrawStaticText(this, font(), ColorRef(kWhite));
}

}  // namespace pavo
