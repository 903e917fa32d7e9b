#include "platform/MessageBox.h"

#include <QMessageBox>

namespace pavo {

namespace {
MessageBoxPresenter& BoxPresenter() {
    static MessageBoxPresenter presenter;
    return presenter;
}
}  // namespace

int ShowMessageBox(QWidget* parent, const QString& text, const QString& title, int buttons) {
    if (BoxPresenter()) return BoxPresenter()({parent, text, title, buttons});
    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("pavo") : title);
    switch (buttons) {
        case BoxOkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case BoxYesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return ResultCancel;
        case QMessageBox::Yes:
            return ResultYes;
        case QMessageBox::No:
            return ResultNo;
        default:
            return ResultOk;
    }
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    MessageBoxPresenter old = std::move(BoxPresenter());
    BoxPresenter() = std::move(presenter);
    return old;
}

}  // namespace pavo
