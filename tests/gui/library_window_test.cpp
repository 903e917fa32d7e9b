// The preset library window off line: the list of a folder (refused files greyed with their reasons,
// banks with their programs), the folder watch, thumbnails and their cache, loading as the imports
// do, the mouse on the list, the file actions and the remembered folder.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <cstring>

#include "app/UndoGestures.h"
#include "library_support.h"
#include "platform/ProgramNameText.h"
#include "platform/SettingsFile.h"

namespace pavo {
namespace {

using test::Cell;
using test::LibraryFixture;
using test::PresetFolder;

class LibraryWindowTest : public ::testing::Test {
protected:
    PresetFolder dir;
    LibraryFixture f;
};

// The rows at the top level: file, name, note, greyed.
struct Row {
    QString file, name, note;
    bool greyed;
    bool operator==(const Row&) const = default;
};

std::vector<Row> TopRows(const LibraryModel& m) {
    std::vector<Row> rows;
    for (int r = 0; r < m.rowCount(); ++r) {
        const QModelIndex i = m.index(r, 0);
        rows.push_back({Cell(m, i, LibraryModel::ColumnFile), Cell(m, i, LibraryModel::ColumnName),
                        Cell(m, i, LibraryModel::ColumnNote), m.data(i, Qt::ForegroundRole).isValid()});
    }
    return rows;
}

void PrintTo(const Row& r, std::ostream* os) {
    *os << r.file.toStdString() << " | " << r.name.toStdString() << " | " << r.note.toStdString()
        << (r.greyed ? " | grey" : "");
}

TEST_F(LibraryWindowTest, ListsGoodRefusedAndDuplicateFilesAndWatchesTheFolder) {
    dir.Program("Alpha.dia", 2);
    dir.Program("alpha copy.dia", 2);  // the same bytes under another name
    dir.Program("alpha.dia", 4);       // the same name in other letters
    ProgramImage bad = unit::FactoryProgram(5);
    bad.MusicLeft.Eq[2].GainCode = 248;
    dir.Program("bad.dia", bad);
    dir.Raw("short.dia", std::string(1000, '\x07'));
    dir.Bank("bank.dat", 3);
    dir.Raw("short.dat", std::string(57018, '\x01'));
    dir.Raw("notes.txt", "not a preset");
    dir.Program("old.dia.bak", 6);

    LibraryWindow& lib = f.Open(dir.path());
    const std::vector<Row> expected = {
        {"alpha copy.dia", "Pop", "", false},
        {"Alpha.dia", "Pop", "", false},
        {"alpha.dia", "Ballad", "", false},
        {"bad.dia", "Jazz", "MusicLeft.Eq[3].GainCode is 248, allowed 0..240", true},
        {"bank.dat", "bank of 21 programs", "loads program 3", false},
        {"short.dat", "", "too short: 57018 bytes of 57019", true},
        {"short.dia", "", "too short: 1000 bytes of 2778", true},
    };
    EXPECT_EQ(TopRows(lib.model()), expected);

    // The bank's programs beneath it, by number and name; F1..F5 for 17..21.
    const QModelIndex bank = lib.model().IndexOfFile(dir.At("bank.dat"));
    ASSERT_EQ(lib.model().rowCount(bank), 21);
    EXPECT_EQ(Cell(lib.model(), lib.model().index(0, 0, bank), LibraryModel::ColumnName), "1  KTV Standard");
    EXPECT_EQ(Cell(lib.model(), lib.model().index(17, 0, bank), LibraryModel::ColumnName), "F2  Function 2");
    EXPECT_EQ(lib.model().rowCount(lib.model().IndexOfFile(dir.At("short.dat"))), 0);

    // Refused files cannot be loaded; the comparison says why when they have nothing to compare.
    ASSERT_TRUE(lib.SelectFile(dir.At("short.dia")));
    EXPECT_FALSE(lib.loadButton().isEnabled());
    EXPECT_EQ(lib.compare().summaryText(), "Cannot be loaded: too short: 1000 bytes of 2778");
    ASSERT_TRUE(lib.SelectFile(dir.At("bad.dia")));
    EXPECT_FALSE(lib.loadButton().isEnabled());
    EXPECT_FALSE(lib.compare().lines().empty());  // its codes are there to compare
    ASSERT_TRUE(lib.SelectFile(dir.At("bank.dat"), 5));
    EXPECT_TRUE(lib.loadButton().isEnabled());

    // Files added, rewritten and removed elsewhere show up by themselves; the selection stays put.
    dir.Program("new.dia", 9);
    std::filesystem::remove(dir / "short.dia");
    dir.Program("alpha.dia", 7);  // rewritten in place, same size
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            const auto rows = TopRows(lib.model());
            return rows.size() == 7 && rows[2].name == "Speech" && rows[5].file == "new.dia";
        },
        20000))
        << ::testing::PrintToString(TopRows(lib.model()));
    EXPECT_EQ(lib.SelectedEntry().kind, LibraryEntry::Kind::BankProgram);
    EXPECT_EQ(lib.SelectedEntry().program, 5);
    std::filesystem::remove(dir / "bank.dat");
    ASSERT_TRUE(test::WaitUntil([&] { return lib.model().rowCount() == 6; }));
    EXPECT_NE(lib.SelectedEntry().path, dir.At("bank.dat"));
}

TEST_F(LibraryWindowTest, ThumbnailsAreTheCoresCurvesCachedBySizeAndTime) {
    dir.Program("a.dia", 2);
    dir.Program("b.dia", 3);
    dir.Bank("c.dat", 4);
    int asked = 0;
    f.w->ShowLibrary();
    LibraryWindow& lib = *f.w->library();
    auto ask = lib.model().askCurves;
    lib.model().askCurves = [&](const CurvesKey& key, PresetKind kind) {
        ++asked;
        ask(key, kind);
    };
    lib.SetFolder(dir.path());
    ASSERT_TRUE(LibraryFixture::Listed(lib));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(lib.model().filesWithoutCurves(), 0);
    auto curvesAt = [&](const QModelIndex& i) {
        return static_cast<const ThumbnailCurves*>(i.data(LibraryModel::CurvesRole).value<const void*>());
    };
    const ThumbnailCurves* a = curvesAt(lib.model().IndexOfFile(dir.At("a.dia")));
    ASSERT_NE(a, nullptr);
    const ThumbnailCurves expected = ThumbnailCurvesOf(unit::FactoryProgram(2));
    EXPECT_EQ(std::memcmp(a, &expected, sizeof expected), 0);
    // A bank's row shows the program its import makes current; each program its own.
    const ThumbnailCurves* c = curvesAt(lib.model().IndexOfFile(dir.At("c.dat")));
    const ThumbnailCurves* c4 = curvesAt(lib.model().IndexOfFile(dir.At("c.dat"), 4));
    const ThumbnailCurves* c9 = curvesAt(lib.model().IndexOfFile(dir.At("c.dat"), 9));
    ASSERT_TRUE(c && c4 && c9);
    EXPECT_EQ(c, c4);
    const ThumbnailCurves expected9 = ThumbnailCurvesOf(unit::FactoryProgram(9));
    EXPECT_EQ(std::memcmp(c9, &expected9, sizeof expected9), 0);

    // Unchanged files keep their curves through a rescan; a file with a new time gets new ones.
    lib.Rescan();
    ASSERT_TRUE(LibraryFixture::Listed(lib));
    EXPECT_EQ(asked, 3);
    QFile touched(dir.At("b.dia"));
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        touched.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    touched.close();
    lib.Rescan();
    ASSERT_TRUE(LibraryFixture::Listed(lib));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(lib.model().filesWithoutCurves(), 0);
}

// The list is clicked as users do: a press selects, a move with the button held follows the mouse, the
// release leaves that row compared; moves with no button held change nothing; a double-click loads.
TEST_F(LibraryWindowTest, MouseOnTheList) {
    for (int n = 1; n <= 6; ++n) dir.Program("p" + std::to_string(n) + ".dia", n + 1);
    LibraryWindow& lib = f.Open(dir.path());
    lib.resize(1100, 600);
    QTreeView& list = lib.list();
    QWidget* vp = list.viewport();
    auto at = [&](int row) {
        return list.visualRect(lib.model().index(row, LibraryModel::ColumnName)).center();
    };
    const EditedRecords before = CopyEditedRecords(f.model());

    QTest::mousePress(vp, Qt::LeftButton, {}, at(1));
    EXPECT_EQ(list.currentIndex().row(), 1);
    for (int row : {2, 3}) {
        QMouseEvent move(QEvent::MouseMove, at(row), vp->mapToGlobal(at(row)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
    }
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at(3));
    LibraryFixture::Settle();
    EXPECT_EQ(list.currentIndex().row(), 3);
    EXPECT_EQ(lib.SelectedEntry().path, dir.At("p4.dia"));
    const auto compared = lib.compare().lines().size();
    EXPECT_GT(compared, 0u);

    for (int row : {0, 5, 2}) {
        QMouseEvent hover(QEvent::MouseMove, at(row), vp->mapToGlobal(at(row)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(vp, &hover);
    }
    LibraryFixture::Settle();
    EXPECT_EQ(list.currentIndex().row(), 3);
    EXPECT_EQ(lib.compare().lines().size(), compared);
    EXPECT_TRUE(test::SameRecords(CopyEditedRecords(f.model()), before)) << "nothing loaded";
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 0u);

    // A double-click loads the row: one step, named as an import. The events as the system delivers
    // them: press, release, press, double-click, release (QTest's double-click alone is neither
    // pressed first nor let go).
    QTest::mouseClick(vp, Qt::LeftButton, {}, at(4));
    QTest::mousePress(vp, Qt::LeftButton, {}, at(4));
    QTest::mouseDClick(vp, Qt::LeftButton, {}, at(4));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at(4));
    LibraryFixture::Settle();
    EXPECT_EQ(ProgramNameText(f.model().current.ProgramName, kProgramNameLength), "Classroom");
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 1u);
    EXPECT_EQ(f.w->undo().UndoText(), "Undo: Import");
    // Moves after it, no button held, start nothing.
    for (int row : {1, 2}) {
        QMouseEvent hover(QEvent::MouseMove, at(row), vp->mapToGlobal(at(row)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(vp, &hover);
    }
    LibraryFixture::Settle();
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 1u);
    EXPECT_EQ(list.currentIndex().row(), 4);
}

// Loading from the library takes the import's path: the same bytes as Import (or Import all) in
// another window, one undo step, and the undo gives the records back.
TEST_F(LibraryWindowTest, LoadEqualsImportByteForByteAndIsOneUndoStep) {
    ProgramImage edited = unit::FactoryProgram(8);
    edited.CheckByte = 0;  // the import writes the sum of the bytes read here
    dir.Program("party.dia", edited);
    dir.Bank("all.dat", 6);

    struct Case {
        const char* file;
        int program;  // a program of the bank, or 0
    } cases[] = {{"party.dia", 0}, {"all.dat", 0}, {"all.dat", 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.program));
        // A window of its own for each case: a reset keeps the bank and some records of the case before.
        LibraryFixture mine;
        LibraryWindow& lib = mine.Open(dir.path());
        // The user's records before: the system record as a full read from the unit brings it (an undo
        // leaves the passwords as the import set them, and a reset's program number 0 names no
        // program), then one edit of theirs.
        auto userRecords = [](Model& m) {
            m.system = unit::FactorySystem();
            m.current.Mic12.MicLevel = 3;
        };
        test::Edit(mine.w->unit(), userRecords);
        mine.w->undo().history().Rebase();
        test::Edit(mine.w->unit(), [](Model& m) { m.current.Mic12.MicLevel = 4; });
        mine.w->undo().history().Commit();
        const EditedRecords before = CopyEditedRecords(mine.model());

        // The reference: another window imports the same file through its dialog.
        LibraryFixture other;
        test::Edit(other.w->unit(), userRecords);
        test::Edit(other.w->unit(), [](Model& m) { m.current.Mic12.MicLevel = 4; });
        if (c.program == 0) {
            other.state.nextFile = dir.At(c.file);
            QString(c.file).endsWith(".dat") ? other.w->ImportBank() : other.w->ImportDia();
        } else {
            auto bank = PresetFolder::FactoryBank(6);
            DiaContents one;
            CopyRecord(one.system, bank->System);
            CopyRecord(one.image, bank->Programs[c.program - 1]);
            dir.Program("one.dia", one.image, one.system);
            other.state.nextFile = dir.At("one.dia");
            other.w->ImportDia();
        }

        ASSERT_TRUE(lib.SelectFile(dir.At(c.file), c.program));
        ASSERT_TRUE(lib.loadButton().isEnabled());
        QTest::mouseClick(&lib.loadButton(), Qt::LeftButton);
        LibraryFixture::Settle();

        const Model& a = mine.model();
        const Model& b = other.model();
        EXPECT_TRUE(SameRecord(a.current, b.current));
        EXPECT_TRUE(SameRecord(a.lastSent, b.lastSent));
        EXPECT_TRUE(SameRecord(a.system, b.system));
        EXPECT_TRUE(SameRecord(a.lastSentSystem, b.lastSentSystem));
        EXPECT_TRUE(SameRecord(a.bank, b.bank));
        EXPECT_FALSE(test::SameRecords(CopyEditedRecords(a), before));
        EXPECT_EQ(mine.w->undo().history().UndoDepth(), 2u);
        EXPECT_EQ(mine.w->undo().UndoText(),
                  QString(c.file).endsWith(".dat") && !c.program ? "Undo: Import all" : "Undo: Import");
        ASSERT_TRUE(mine.w->undo().Undo());
        EXPECT_TRUE(test::SameRecords(CopyEditedRecords(a), before));
        EXPECT_TRUE(mine.state.boxes.isEmpty()) << mine.state.boxes.join(" | ").toStdString();
    }
}

TEST_F(LibraryWindowTest, SaveRenameDeleteOpenAndTheRememberedFolder) {
    dir.Program("keep.dia", 2);
    LibraryWindow& lib = f.Open(dir.path());
    EXPECT_EQ(ProgramSettings().value("library/folder").toString(), dir.path());
    QString answer;
    lib.askText = [&](const QString&, const QString&, const QString&) { return answer; };

    // Save current as: the program's records through the safe writer, listed and selected.
    test::Edit(f.w->unit(), [](Model& m) { m.current.EchoA.Repeat = 33; });
    answer = "Room A";
    lib.SaveCurrentAs();
    ASSERT_TRUE(test::WaitUntil([&] { return lib.SelectedEntry().path == dir.At("Room A.dia"); }));
    DiaContents saved;
    ASSERT_TRUE(ReadDia(dir / "Room A.dia", saved));
    EXPECT_TRUE(SameRecord(saved.image, f.model().current));
    EXPECT_TRUE(SameRecord(saved.system, f.model().system));
    EXPECT_EQ(lib.compare().summaryText(), "Same as the current program.");

    // An existing name is replaced only when the user says so.
    test::Edit(f.w->unit(), [](Model& m) { m.current.EchoA.Repeat = 44; });
    f.state.boxes.clear();
    answer = "keep.dia";
    lib.SaveCurrentAs();  // the recorded box answers OK, not Yes
    EXPECT_EQ(f.state.boxes, QStringList{"keep.dia exists. Replace it?"});
    ASSERT_TRUE(ReadDia(dir / "keep.dia", saved));
    EXPECT_TRUE(SameRecord(saved.image, unit::FactoryProgram(2)));

    // Rename keeps the extension; the selection follows the file.
    ASSERT_TRUE(lib.SelectFile(dir.At("Room A.dia")));
    answer = "Room B";
    lib.RenameSelected();
    ASSERT_TRUE(test::WaitUntil([&] { return lib.SelectedEntry().path == dir.At("Room B.dia"); }));
    EXPECT_FALSE(QFile::exists(dir.At("Room A.dia")));
    answer = "keep";
    f.state.boxes.clear();
    lib.RenameSelected();
    EXPECT_EQ(f.state.boxes, QStringList{"keep.dia exists already."});
    EXPECT_TRUE(QFile::exists(dir.At("Room B.dia")));

    // Delete asks first, then moves the file to the desktop trash.
    MessageBoxPresenter previous =
        SetMessageBoxPresenter([](const MessageBoxRequest&) { return int(ResultYes); });
    lib.DeleteSelected();
    SetMessageBoxPresenter(previous);
    EXPECT_FALSE(QFile::exists(dir.At("Room B.dia")));
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files";
    // A name the trash holds already gets a number after the extension ("Room B.dia-0001"); the
    // trash's note on each file goes with it, or the next run's file is numbered too.
    const QStringList trashed = QDir(trash).entryList({"Room B.dia*"});
    EXPECT_FALSE(trashed.isEmpty()) << trash.toStdString();
    for (const QString& t : trashed) {
        QFile::remove(trash + "/" + t);
        QFile::remove(trash + "/../info/" + t + ".trashinfo");
    }
    ASSERT_TRUE(test::WaitUntil([&] { return lib.model().rowCount() == 1; }));

    // Open folder hands the folder to the desktop.
    QUrl opened;
    lib.openUrl = [&](const QUrl& url) {
        opened = url;
        return true;
    };
    lib.OpenFolder();
    EXPECT_EQ(opened, QUrl::fromLocalFile(dir.path()));

    // The next window opens on the remembered folder.
    LibraryFixture again;
    again.w->ShowLibrary();
    EXPECT_EQ(again.w->library()->folder(), dir.path());
}

}  // namespace
}  // namespace pavo
