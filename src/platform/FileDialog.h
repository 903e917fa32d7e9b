#pragma once
// The standard file dialogs. Tests replace the presenter to answer without a modal loop.
#include <QString>
#include <QWidget>
#include <functional>

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

}  // namespace pavo
