// The gallery: pictures of every page, window and skinned control, in both languages, for a person to
// look at (scripts/gallery runs it at scale 1 and 2). Nothing here is a test: the cases only pose the
// program and write pictures into $PAVO_GALLERY_DIR (build/gallery when unset). It runs on Qt's
// offscreen platform with one application object; settings go to a temporary folder.
#include <gtest/gtest.h>
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    return RUN_ALL_TESTS();
}
