#include "platform/FileDialog.h"

#include <QFileInfo>
#include <QLineEdit>

namespace pavo {

namespace {

FileDialogPresenter& FilePresenter() {
    static FileDialogPresenter presenter;
    return presenter;
}

QLineEdit* NameBox(const QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

bool IsPattern(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

class PatternFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override {
        const QLineEdit* box = NameBox(*this);
        const QString typed = box ? box->text().trimmed() : QString();
        if (IsPattern(typed)) {
            // As in the file dialogs users know: a pattern filters the list instead of naming a file.
            setNameFilter(QStringLiteral("%1 (%1)").arg(typed));
            selectFile(typed);
            return;
        }
        QFileDialog::accept();
    }
};

}  // namespace

std::unique_ptr<QFileDialog> CreateFileDialog(const FileDialogRequest& r) {
    auto dialog = std::make_unique<PatternFileDialog>(r.owner);
    // The program's own dialog everywhere: the pattern rules above hold on every desktop.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("%1 (%1)").arg(r.pattern));
    // The folder may not exist (it is not created by the program); the dialog then opens where it can.
    const QFileInfo initial(r.initial);
    if (initial.dir().exists()) dialog->setDirectory(initial.dir());
    dialog->selectFile(initial.fileName().isEmpty() ? r.pattern : initial.fileName());
    return dialog;
}

QString FileNameBoxText(const QFileDialog& dialog) {
    const QLineEdit* box = NameBox(dialog);
    return box ? box->text() : QString();
}

QString AskFileName(const FileDialogRequest& r) {
    if (FilePresenter()) return FilePresenter()(r);
    const std::unique_ptr<QFileDialog> dialog = CreateFileDialog(r);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().first();
}

FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter) {
    FileDialogPresenter old = std::move(FilePresenter());
    FilePresenter() = std::move(presenter);
    return old;
}

}  // namespace pavo
