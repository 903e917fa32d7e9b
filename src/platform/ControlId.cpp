#include "platform/ControlId.h"

namespace pavo {

namespace {
constexpr char kIdProperty[] = "pavoControlId";
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(kIdProperty, id);
}

int ControlId(const QWidget* control) {
    const QVariant v = control ? control->property(kIdProperty) : QVariant();
    return v.isValid() ? v.toInt() : 0;
}

QWidget* DialogItem(const QWidget* parent, int id) {
    if (!parent) return nullptr;
    for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (ControlId(w) == id) return w;
    return nullptr;
}

}  // namespace pavo
