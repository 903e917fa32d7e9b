#pragma once
// Message boxes. Tests replace the presenter to see what would be shown without a modal loop.
#include <QString>
#include <QWidget>
#include <functional>

namespace pavo {

enum MessageBoxButtons { BoxOk = 0, BoxOkCancel = 1, BoxYesNo = 4 };
enum MessageBoxResult { ResultOk = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };

struct MessageBoxRequest {
    QWidget* parent;
    QString text;
    QString title;
    int buttons;
};
using MessageBoxPresenter = std::function<int(const MessageBoxRequest&)>;

// Shows a modal box (or asks the installed presenter) and returns the button pressed.
int ShowMessageBox(QWidget* parent, const QString& text, const QString& title = {}, int buttons = BoxOk);
// Installs a presenter (tests); an empty function restores the real boxes. Returns the previous one.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

}  // namespace pavo
