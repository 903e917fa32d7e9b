#include "pages/ControlIndex.h"

#include "platform/ControlId.h"

namespace pavo {

void ControlIndex::Build(const QWidget* dialog) {
    items_.clear();
    for (QWidget* w : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (const int id = ControlId(w)) items_.emplace(id, w);
}

QWidget* ControlIndex::Find(int id) const {
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

}  // namespace pavo
