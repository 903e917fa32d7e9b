#include "platform/Timers.h"

#include <QTimer>

#include "platform/WinMessage.h"

namespace pavo {

namespace {

QTimer* FindTimer(QObject* owner, int id) {
    const QString name = QStringLiteral("pavoTimer%1").arg(id);
    return owner->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly);
}

}  // namespace

void SetTimer(QObject* owner, int id, int periodMs) {
    QTimer* t = FindTimer(owner, id);
    if (!t) {
        t = new QTimer(owner);
        t->setObjectName(QStringLiteral("pavoTimer%1").arg(id));
        QObject::connect(t, &QTimer::timeout, owner, [owner, id] { SendMessage(owner, WM_TIMER, id, 0); });
    }
    t->start(periodMs);
}

void KillTimer(QObject* owner, int id) {
    if (QTimer* t = FindTimer(owner, id)) t->stop();
}

bool TimerActive(QObject* owner, int id) {
    QTimer* t = FindTimer(owner, id);
    return t && t->isActive();
}

}  // namespace pavo
