#pragma once
// The controls of a dialog by id, gathered once after the dialog is built: a page that reaches dozens
// of its controls on every refresh looks them up here instead of searching its children each time.
#include <QWidget>
#include <unordered_map>

namespace pavo {

class ControlIndex {
public:
    // Every direct child of `dialog` that has a control id.
    void Build(const QWidget* dialog);
    QWidget* Find(int id) const;
    template <class T = QWidget>
    T* As(int id) const {
        return qobject_cast<T*>(Find(id));
    }

private:
    std::unordered_map<int, QWidget*> items_;
};

}  // namespace pavo
