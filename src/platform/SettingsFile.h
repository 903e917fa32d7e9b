#pragma once
// The program's one settings file (~/.config/pavo/pavo.conf). Qt's own dialogs keep settings of
// their own (the file dialog writes its history and view into a "QtProject" file when it closes);
// those go to a private folder that is removed at exit, so the user's configuration folder holds the
// program's file alone.
#include <QSettings>

namespace pavo {

// Sends the toolkit's settings to the private folder; the program's file stays where it was. Called
// once at start, before any dialog; later calls do nothing.
void KeepToolkitSettingsPrivate();

// The program's settings, read and written through its own file.
QSettings ProgramSettings();

}  // namespace pavo
