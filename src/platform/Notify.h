#pragma once
// WM_NOTIFY: the notifications of common controls that carry a header (the tab control's selection
// change). lParam points at a NotifyHeader that is valid during the call.
#include <QObject>

#include "platform/WinMessage.h"

namespace pavo {

constexpr unsigned WM_NOTIFY = 0x004E;  // wParam: control id; lParam: const NotifyHeader*
constexpr unsigned TCN_SELCHANGE = static_cast<unsigned>(-551);

struct NotifyHeader {
    QObject* from;
    int idFrom;
    unsigned code;
};

}  // namespace pavo
