#include "platform/WinMessage.h"

#include <QCoreApplication>
#include <QEvent>
#include <atomic>
#include <vector>

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

const QEvent::Type kCheckIdleType = static_cast<QEvent::Type>(QEvent::registerEventType());

struct IdleCall {
    QPointer<QObject> context;
    std::function<void()> done;
};

// Every posted message goes through one object, so the posting order is the delivery order across
// targets too. It counts the messages not delivered yet, and runs the calls waiting for none to be
// left.
class MessagePump : public QObject {
public:
    void Posted() { pending_.fetch_add(1, std::memory_order_relaxed); }
    void WhenIdle(QObject* context, std::function<void()> done) {
        waiting_.push_back({context, std::move(done)});
        // Checked after the current handler and what is queued before this: a control that posts
        // while it handles the event being filtered now posts ahead of the check's turn to look.
        QCoreApplication::postEvent(this, new QEvent(kCheckIdleType));
    }

    bool event(QEvent* e) override {
        if (e->type() == kCheckIdleType) {
            RunIfIdle();
            return true;
        }
        if (e->type() != kPostedType) return QObject::event(e);
        auto* pm = static_cast<PostedMessage*>(e);
        if (pm->target) SendMessage(pm->target, pm->message, pm->wParam, pm->lParam);
        pending_.fetch_sub(1, std::memory_order_relaxed);
        RunIfIdle();
        return true;
    }

private:
    void RunIfIdle() {
        if (pending_.load(std::memory_order_relaxed) > 0 || waiting_.empty()) return;
        std::vector<IdleCall> calls;
        calls.swap(waiting_);
        for (IdleCall& c : calls)
            if (c.context) c.done();
    }

    std::atomic<int> pending_{0};
    std::vector<IdleCall> waiting_;  // UI thread only
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
    MessagePump* pump = Pump();
    pump->Posted();
    QCoreApplication::postEvent(pump, new PostedMessage(target, message, wParam, lParam));
}

void DeliverPostedMessages() {
    QCoreApplication::sendPostedEvents(Pump(), kPostedType);
}

void WhenMessagesDelivered(QObject* context, std::function<void()> done) {
    Pump()->WhenIdle(context, std::move(done));
}

}  // namespace pavo
