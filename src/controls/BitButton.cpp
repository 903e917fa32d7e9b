#include "controls/BitButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>

#include "platform/ControlId.h"
#include "platform/Resources.h"
#include "platform/Skin.h"
#include "platform/WinMessage.h"

namespace pavo {

namespace {
// How much of a faded disabled face shows over the page: enough to read its state, plainly dimmed.
constexpr qreal kDisabledFaceOpacity = 0.35;
}  // namespace

BitButton::BitButton(QWidget* parent) : BitButton(QString(), parent) {}

BitButton::BitButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this,
            [this] { SendMessage(parentWidget(), WM_COMMAND, MakeCommand(ControlId(this), BN_CLICKED), 0); });
}

void BitButton::SetFaceBitmaps(int normal, int hover, int pressed, int latchedNormal, int latchedHover,
                               int latchedPressed) {
    faces_ = {normal,
              hover,
              pressed,
              latchedNormal ? latchedNormal : normal,
              latchedHover ? latchedHover : hover,
              latchedPressed ? latchedPressed : pressed};
    FitToFace();
    update();
}

void BitButton::SetDisabledBitmaps(int unlatched, int latched) {
    disabledFaces_ = {unlatched, latched};
    FitToFace();
    update();
}

void BitButton::SetCaptionColours(uint32_t normal, uint32_t hover, uint32_t pressed, uint32_t latchedNormal,
                                  uint32_t latchedHover, uint32_t latchedPressed) {
    captionColours_ = {normal, hover, pressed, latchedNormal, latchedHover, latchedPressed};
    update();
}

void BitButton::SetLatched(bool latched) {
    if (latched == latched_) return;
    latched_ = latched;
    FitToFace();
    update();
}

BitButton::MouseState BitButton::CurrentMouseState() const {
    if (hover_ && pressed_) return Pressed;
    if (hover_) return Hover;
    return Normal;
}

int BitButton::CurrentFace() const {
    if (!isEnabled()) return disabledFaces_[latched_ ? 1 : 0];
    return faces_[(latched_ ? 3 : 0) + CurrentMouseState()];
}

uint32_t BitButton::CurrentCaptionColour() const {
    if (!isEnabled()) return kDisabledCaption;
    return captionColours_[(latched_ ? 3 : 0) + CurrentMouseState()];
}

QSize BitButton::sizeHint() const {
    const int face = CurrentFace();
    return face ? BitmapSize(face) : QPushButton::sizeHint();
}

// The button takes the size of the face it shows, keeping its position.
void BitButton::FitToFace() {
    const int face = CurrentFace();
    if (!face) return;
    const QSize size = BitmapSize(face);
    if (!size.isEmpty() && size != this->size()) resize(size);
}

void BitButton::SetHover(bool hover) {
    if (hover == hover_) return;
    hover_ = hover;
    FitToFace();
    update();
}

void BitButton::paintEvent(QPaintEvent*) {
    FitToFace();
    QPainter p(this);
    const int face = CurrentFace();
    const QPixmap bitmap = face ? LoadBitmap(face, PaintPixelRatio(p)) : QPixmap();
    if (fadedWhenDisabled_ && !isEnabled()) p.setOpacity(kDisabledFaceOpacity);
    if (!bitmap.isNull())
        p.drawPixmap(QRect(QPoint(0, 0), bitmap.deviceIndependentSize().toSize()), bitmap);
    else
        p.fillRect(rect(), palette().color(QPalette::Button));
    p.setFont(font());
    p.setPen(ColorRef(CurrentCaptionColour()));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

void BitButton::showEvent(QShowEvent* e) {
    FitToFace();
    QPushButton::showEvent(e);
}

void BitButton::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) FitToFace();
    QPushButton::changeEvent(e);
}

void BitButton::enterEvent(QEnterEvent* e) {
    SetHover(true);
    QPushButton::enterEvent(e);
}

void BitButton::leaveEvent(QEvent* e) {
    SetHover(false);
    QPushButton::leaveEvent(e);
}

// Moving off a pressed button shows the normal face until the mouse comes back.
void BitButton::mouseMoveEvent(QMouseEvent* e) {
    SetHover(rect().contains(e->position().toPoint()));
    QPushButton::mouseMoveEvent(e);
}

void BitButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        pressed_ = true;
        hover_ = rect().contains(e->position().toPoint());
        update();
    }
    QPushButton::mousePressEvent(e);
}

void BitButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        pressed_ = false;
        update();
    }
    QPushButton::mouseReleaseEvent(e);
}

}  // namespace pavo
