// Pictures of the preset file dialog: file_dialog_save.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "controls_support.h"
#include "platform/FileDialog.h"

namespace pavo {
namespace {

TEST(Gallery, FileDialog) {
    QTemporaryDir root;
    const QString folder = root.path() + "/MusicFile";
    QDir().mkpath(folder);
    for (const char* name : {"live.dia", "band.dat", "notes.txt"}) {
        QFile f(folder + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    auto dialog = CreateFileDialog({nullptr, true, folder + "/*.dia", QStringLiteral("*.dia")});
    dialog->resize(640, 400);
    dialog->show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(dialog->grab().save(test::GalleryDir() + "/file_dialog_save.png"));
}

}  // namespace
}  // namespace pavo
