// The preset file dialogs: they open in the MusicFile folder with the pattern in the file-name box,
// and confirming a pattern filters the list instead of choosing a file named after it. Closing one
// leaves no settings file of the toolkit's beside the program's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "controls_support.h"
#include "platform/FileDialog.h"
#include "platform/SettingsFile.h"

namespace pavo {
namespace {

namespace fs = std::filesystem;

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pavo-dialog-" + std::to_string(::getpid())) / "MusicFile";
        fs::remove_all(dir.parent_path());
        fs::create_directories(dir);
        for (const char* name : {"live.dia", "band.dat", "notes.txt"}) std::ofstream(dir / name) << "x";
    }
    void TearDown() override { fs::remove_all(dir.parent_path()); }

    FileDialogRequest Request(bool save, const char* pattern) const {
        return {nullptr, save, QString::fromStdString((dir / pattern).string()),
                QString::fromLatin1(pattern)};
    }
    static void Settle() {
        for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    fs::path dir;
};

TEST_F(FileDialogTest, OpensInTheFolderWithThePatternInTheNameBox) {
    const struct {
        bool save;
        const char* pattern;
    } cases[] = {{true, "*.dia"}, {false, "*.dia"}, {true, "*.dat"}, {false, "*.dat"}};
    for (const auto& c : cases) {
        auto dialog = CreateFileDialog(Request(c.save, c.pattern));
        dialog->show();
        Settle();
        EXPECT_EQ(FileNameBoxText(*dialog), c.pattern) << c.pattern << " save " << c.save;
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(),
                  QDir(QString::fromStdString(dir.string())).canonicalPath());
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("%1 (%1)").arg(c.pattern));
    }
}

TEST_F(FileDialogTest, ConfirmingAPatternFiltersAndANameIsChosen) {
    for (bool save : {true, false}) {
        auto dialog = CreateFileDialog(Request(save, "*.dia"));
        dialog->show();
        Settle();
        QMetaObject::invokeMethod(dialog.get(), "accept");  // Save / Open with "*.dia" in the box
        Settle();
        EXPECT_TRUE(dialog->isVisible()) << "save " << save;
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(FileNameBoxText(*dialog), "*.dia");

        auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(box, nullptr);
        box->setText(QStringLiteral("l*"));  // a pattern the user typed filters too
        QMetaObject::invokeMethod(dialog.get(), "accept");
        Settle();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->selectedNameFilter(), "l* (l*)");

        // An existing file for the open dialog, a new one for the save dialog (no overwrite question).
        const QString chosen = save ? QStringLiteral("new.dia") : QStringLiteral("live.dia");
        box->setText(chosen);
        QMetaObject::invokeMethod(dialog.get(), "accept");
        Settle();
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << "save " << save;
        ASSERT_EQ(dialog->selectedFiles().size(), 1);
        EXPECT_EQ(QFileInfo(dialog->selectedFiles().first()).fileName(), chosen);
        dialog->hide();
    }
}

// The file dialog writes its history into the toolkit's settings when it closes. The user's settings
// folder (here the tests' stand-in for it: where the program's own file lives) gets none of it, and
// the program's file stays readable and writable there.
TEST_F(FileDialogTest, ClosingOneLeavesOnlyTheProgramsSettingsFile) {
    KeepToolkitSettingsPrivate();
    const QFileInfo programFile(ProgramSettings().fileName());
    const QString userFolder = QDir::cleanPath(programFile.absolutePath() + "/..");
    const QStringList toolkitFiles = {userFolder + "/QtProject.conf",
                                      userFolder + "/QtProject/QtProject.conf"};
    for (const QString& f : toolkitFiles) QFile::remove(f);
    for (bool save : {false, true}) {
        std::unique_ptr<QFileDialog> dialog = CreateFileDialog(Request(save, "*.dia"));
        dialog->show();
        Settle();
        dialog->reject();
        Settle();
    }
    for (const QString& f : toolkitFiles) EXPECT_FALSE(QFile::exists(f)) << f.toStdString();
    ProgramSettings().setValue(QStringLiteral("test/kept"), 7);
    EXPECT_EQ(ProgramSettings().value(QStringLiteral("test/kept")).toInt(), 7);
    EXPECT_TRUE(QFile::exists(programFile.absoluteFilePath()));
    ProgramSettings().remove(QStringLiteral("test"));
}

}  // namespace
}  // namespace pavo
