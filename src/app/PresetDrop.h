#pragma once
// A ".dia" or ".dat" file dropped anywhere on the main window is imported as the library's Load does
// (app/LibraryLoad.h). Only a drag of exactly one such local file is taken: the window, and every
// control in it (an edit would otherwise take the file's name as text), accepts it; every other drag
// goes on as before. The import runs after the drop has finished, never inside the drag.
#include <QObject>
#include <QString>

class QMimeData;

namespace pavo {

class PavoDlg;

class PresetDrop : public QObject {
    Q_OBJECT
public:
    explicit PresetDrop(PavoDlg& main);
    ~PresetDrop() override;

    // The preset file a drag carries, or an empty string.
    static QString PresetFileOf(const QMimeData* mime);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool InMainWindow(QObject* watched) const;

    PavoDlg& main_;
};

}  // namespace pavo
