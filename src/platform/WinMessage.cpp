#include "platform/WinMessage.h"

#include <QCoreApplication>
#include <QEvent>

namespace pavo {

namespace {

const QEvent::Type kPostedType = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessage : QEvent {
    PostedMessage(QObject* t, unsigned m, WParam w, LParam l)
        : QEvent(kPostedType), target(t), message(m), wParam(w), lParam(l) {}
    QPointer<QObject> target;
    unsigned message;
    WParam wParam;
    LParam lParam;
};

// Every posted message goes through one object, so the posting order is the delivery order across
// targets too.
class MessagePump : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != kPostedType) return QObject::event(e);
        auto* pm = static_cast<PostedMessage*>(e);
        if (!pm->target) return true;
        SendMessage(pm->target, pm->message, pm->wParam, pm->lParam);
        return true;
    }
};

MessagePump* Pump() {
    // Created on first use; it must live in the UI thread, so the UI creates it before any worker posts.
    static MessagePump* pump = [] {
        auto* p = new MessagePump;
        if (QCoreApplication::instance()) p->moveToThread(QCoreApplication::instance()->thread());
        return p;
    }();
    return pump;
}

}  // namespace

LResult MessageTarget::WindowProc(unsigned message, WParam wParam, LParam lParam) {
    if (message == WM_COMMAND) {
        auto it = commands_.find({CommandId(wParam), CommandCode(wParam)});
        if (it != commands_.end()) {
            it->second();
            return 0;
        }
    }
    auto it = handlers_.find(message);
    return it != handlers_.end() ? it->second(wParam, lParam) : 0;
}

LResult SendMessage(QObject* target, unsigned message, WParam wParam, LParam lParam) {
    auto* t = dynamic_cast<MessageTarget*>(target);
    return t ? t->WindowProc(message, wParam, lParam) : 0;
}

void PostMessage(QObject* target, unsigned message, WParam wParam, LParam lParam) {
    if (!target) return;
    QCoreApplication::postEvent(Pump(), new PostedMessage(target, message, wParam, lParam));
}

void DeliverPostedMessages() {
    QCoreApplication::sendPostedEvents(Pump(), kPostedType);
}

}  // namespace pavo
