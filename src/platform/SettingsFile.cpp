#include "platform/SettingsFile.h"

#include <QTemporaryDir>

namespace pavo {

namespace {

// The program's file, taken from where settings go before the toolkit's are sent away.
QString& ProgramFile() {
    static QString path;
    return path;
}

}  // namespace

void KeepToolkitSettingsPrivate() {
    if (!ProgramFile().isEmpty()) return;
    ProgramFile() = QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("pavo"),
                              QStringLiteral("pavo"))
                        .fileName();
    static QTemporaryDir scratch;  // removed at exit, with whatever the toolkit wrote there
    const QString folder = scratch.isValid() ? scratch.path() : QStringLiteral("/nonexistent");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

QSettings ProgramSettings() {
    KeepToolkitSettingsPrivate();
    return QSettings(ProgramFile(), QSettings::NativeFormat);
}

}  // namespace pavo
