#pragma once
// Control ids on widgets: pages find their controls by id, controls tell their parent their id.
#include <QWidget>

namespace pavo {

void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);  // 0 when none was set
// The child with that id (GetDlgItem), or null.
QWidget* DialogItem(const QWidget* parent, int id);
template <class T>
T* DialogItemAs(const QWidget* parent, int id) {
    return qobject_cast<T*>(DialogItem(parent, id));
}

}  // namespace pavo
