#pragma once
// Timers by id: a window starts timer n and receives WM_TIMER with wParam n on each tick.
#include <QObject>

namespace pavo {

// Starts (or restarts) timer `id` of `owner` with the period in ms.
void SetTimer(QObject* owner, int id, int periodMs);
void KillTimer(QObject* owner, int id);
bool TimerActive(QObject* owner, int id);

}  // namespace pavo
