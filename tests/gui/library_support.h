#pragma once
// Shared by the preset library tests: a main window with a folder of preset files of the test's own,
// the library window on it, and waiting for what its worker thread delivers.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/LibraryCompare.h"
#include "app/LibraryModel.h"
#include "app/LibraryScanner.h"
#include "app/LibraryWindow.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "model/PresetFiles.h"
#include "model/UndoHistory.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo::test {

// A fresh folder under the test-mode data location (on the home's file system, so that the desktop
// trash takes files from it), removed afterwards.
class PresetFolder {
public:
    PresetFolder() {
        static int n = 0;
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        path_ = std::filesystem::path(base.toStdString()) /
                ("pavo-library-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~PresetFolder() { std::filesystem::remove_all(path_); }
    QString path() const { return QString::fromStdString(path_.string()); }
    QString At(const std::string& name) const { return QString::fromStdString((path_ / name).string()); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // A ".dia" of the virtual unit's factory program `n` (with the factory system record), or of `image`.
    void Program(const std::string& name, const ProgramImage& image,
                 const SystemRecord& system = unit::FactorySystem()) const {
        ASSERT_TRUE(WriteDia(*this / name, system, image));
    }
    void Program(const std::string& name, int n) const { Program(name, unit::FactoryProgram(n)); }
    // A ".dat" of the 21 factory programs whose header names `current`.
    void Bank(const std::string& name, int current = 3) const {
        auto bank = FactoryBank(current);
        ASSERT_TRUE(WriteDat(*this / name, *bank));
    }
    void Raw(const std::string& name, const std::string& bytes) const {
        std::ofstream(*this / name, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::unique_ptr<ProgramBank> FactoryBank(int current = 3) {
        auto bank = std::make_unique<ProgramBank>();
        bank->System = unit::FactorySystem();
        bank->System.ProgramNumber = static_cast<uint8_t>(current);
        for (int n = 1; n <= kProgramCount; ++n) bank->Programs[n - 1] = unit::FactoryProgram(n);
        bank->Valid = 1;
        return bank;
    }

private:
    std::filesystem::path path_;
};

// The main window off line (or on a virtual unit) with its library open on a folder.
struct LibraryFixture {
    AppState state;
    std::unique_ptr<PavoDlg> w;

    explicit LibraryFixture(StartOptions o = Offline()) {
        w = std::make_unique<PavoDlg>(o);
        w->progress().SetGraceTimes(10, 10);
        w->show();
    }
    static StartOptions Offline() {
        StartOptions o;
        o.connectAtStart = false;
        return o;
    }
    LibraryWindow& Open(const QString& folder) {
        w->ShowLibrary();
        LibraryWindow& lib = *w->library();
        lib.SetFolder(folder);
        EXPECT_TRUE(Listed(lib));
        return lib;
    }
    // The scan of the folder has been delivered and the thumbnails computed.
    static bool Listed(LibraryWindow& lib, int timeoutMs = 20000) {
        return WaitUntil([&] { return !lib.ScanRunning() && !lib.scanner().Busy(); }, timeoutMs);
    }
    static void Settle() {
        for (int i = 0; i < 8; ++i) {
            QApplication::processEvents();
            DeliverPostedMessages();
        }
    }
    Model& model() const { return w->unit().model(); }
};

inline bool SameRecords(const EditedRecords& a, const EditedRecords& b) {
    return SameRecord(a.image, b.image) && SameRecord(a.system, b.system);
}

// The text of a list cell.
inline QString Cell(const LibraryModel& m, const QModelIndex& row, int column) {
    return m.index(row.row(), column, row.parent()).data().toString();
}

}  // namespace pavo::test
