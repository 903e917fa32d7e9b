#include "platform/InputBlocker.h"

#include <QApplication>
#include <QEvent>

namespace pavo {

namespace {

bool IsUserInput(QEvent::Type t) {
    switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::Enter:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

}  // namespace

InputBlocker::InputBlocker(QWidget* window) : window_(window) {}

InputBlocker::~InputBlocker() {
    SetActive(false);
}

void InputBlocker::SetActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (active)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

// The receiver's widget (a shortcut or an action belongs to the widget it was made for).
bool InputBlocker::Inside(QObject* receiver) const {
    QObject* o = receiver;
    while (o && !o->isWidgetType()) o = o->parent();
    if (!o || !window_) return false;
    auto* w = static_cast<QWidget*>(o);
    return w == window_ || window_->isAncestorOf(w);
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && Inside(watched)) {
        // Claimed by the focus widget: no shortcut of the window fires; the key press then drops here.
        e->accept();
        return true;
    }
    return IsUserInput(e->type()) && Inside(watched);
}

}  // namespace pavo
