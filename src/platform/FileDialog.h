#pragma once
// The standard file dialogs. Tests replace the presenter to answer without a modal loop.
#include <QFileDialog>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

namespace pavo {

struct FileDialogRequest {
    QWidget* owner;
    bool save;        // save dialog (overwrite prompt) or open dialog (file must exist)
    QString initial;  // folder and pattern, e.g. <cwd>/MusicFile/*.dia
    QString pattern;  // "*.dia" or "*.dat": the dialog lists exactly these files
};
// Returns the chosen path, or an empty string when the user cancelled.
using FileDialogPresenter = std::function<QString(const FileDialogRequest&)>;

QString AskFileName(const FileDialogRequest& request);
FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter);

// The dialog AskFileName runs: it opens in the initial folder with the pattern in the file-name box.
// A name with wildcards ("*.dia" as it stands, or one the user types) is not a choice: confirming it
// lists the files it matches and keeps the dialog open.
std::unique_ptr<QFileDialog> CreateFileDialog(const FileDialogRequest& request);
// The dialog's file-name box.
QString FileNameBoxText(const QFileDialog& dialog);

}  // namespace pavo
