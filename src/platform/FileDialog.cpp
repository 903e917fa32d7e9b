#include "platform/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace pavo {

namespace {
FileDialogPresenter& Presenter() {
    static FileDialogPresenter presenter;
    return presenter;
}
}  // namespace

QString AskFileName(const FileDialogRequest& r) {
    if (Presenter()) return Presenter()(r);
    const QFileInfo initial(r.initial);
    QFileDialog dialog(r.owner);
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("%1 (%1)").arg(r.pattern));
    // The folder may not exist (it is not created by the program); the dialog then opens where it can.
    if (initial.dir().exists()) dialog.setDirectory(initial.dir());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter) {
    FileDialogPresenter old = std::move(Presenter());
    Presenter() = std::move(presenter);
    return old;
}

}  // namespace pavo
