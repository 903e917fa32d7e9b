// A preset file dropped on the main window is imported as the library loads it: anywhere on the
// window (an edit too), one file only, after the drop, one undo step. Other drags are left alone.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/PresetDrop.h"
#include "app/UndoGestures.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "library_support.h"
#include "pages/SysDlg.h"

namespace pavo {
namespace {

using test::LibraryFixture;

struct Drag {
    QWidget* target;
    QPoint at;
    std::unique_ptr<QMimeData> mime = std::make_unique<QMimeData>();

    // Enter, moves, and the drop (or a leave): what a drag from a file manager delivers.
    bool Enter() {
        QDragEnterEvent e(at, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
        return e.isAccepted();
    }
    bool Move(QPoint to) {
        at = to;
        QDragMoveEvent e(at, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
        return e.isAccepted();
    }
    bool Drop() {
        QDropEvent e(QPointF(at), Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
        return e.isAccepted();
    }
    void Leave() {
        QDragLeaveEvent e;
        QApplication::sendEvent(target, &e);
    }
};

void Hover(QWidget* w, std::initializer_list<QPoint> points) {
    for (QPoint p : points) {
        QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

TEST(LibraryDrop, APresetDroppedOnTheWindowIsImported) {
    test::PresetFolder dir;
    LibraryFixture f;
    dir.Program("drop.dia", 10);
    dir.Bank("drop.dat", 12);
    dir.Raw("notes.txt", "text");
    QWidget* canvas = &f.w->canvas();
    const EditedRecords start = CopyEditedRecords(f.model());

    // Not taken: another file, two files, plain text. Nothing is imported by them.
    struct Refused {
        const char* what;
        QList<QUrl> urls;
        const char* text;
    } refused[] = {
        {"text file", {QUrl::fromLocalFile(dir.At("notes.txt"))}, nullptr},
        {"two presets",
         {QUrl::fromLocalFile(dir.At("drop.dia")), QUrl::fromLocalFile(dir.At("drop.dat"))},
         nullptr},
        {"missing file", {QUrl::fromLocalFile(dir.At("gone.dia"))}, nullptr},
        {"remote", {QUrl("http://example.com/a.dia")}, nullptr},
        {"text", {}, "drop.dia"},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.what);
        Drag d{canvas, QPoint(300, 200)};
        if (!r.urls.isEmpty()) d.mime->setUrls(r.urls);
        if (r.text) d.mime->setText(r.text);
        EXPECT_FALSE(PresetDrop::PresetFileOf(d.mime.get()).size());
        d.Enter();
        d.Move(QPoint(320, 210));
        d.Drop();
        LibraryFixture::Settle();
    }
    EXPECT_TRUE(test::SameRecords(CopyEditedRecords(f.model()), start));
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 0u);

    // A ".dia" on the canvas: enter and moves are accepted, the drop imports it, once.
    Drag dia{canvas, QPoint(100, 100)};
    dia.mime->setUrls({QUrl::fromLocalFile(dir.At("drop.dia"))});
    EXPECT_TRUE(dia.Enter());
    EXPECT_TRUE(dia.Move(QPoint(200, 150)));
    EXPECT_TRUE(dia.Move(QPoint(400, 250)));
    EXPECT_TRUE(test::SameRecords(CopyEditedRecords(f.model()), start)) << "nothing before the drop";
    EXPECT_TRUE(dia.Drop());
    LibraryFixture::Settle();
    DiaContents file;
    ASSERT_TRUE(ReadDia(dir / "drop.dia", file));
    EXPECT_EQ(std::memcmp(&f.model().current, &file.image, sizeof(ProgramImage) - 1), 0);
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 1u);
    EXPECT_EQ(f.w->undo().UndoText(), "Undo: Import");
    Hover(canvas, {QPoint(10, 10), QPoint(500, 300), QPoint(600, 350)});
    LibraryFixture::Settle();
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 1u);

    // A drag that leaves again imports nothing.
    Drag away{canvas, QPoint(100, 100)};
    away.mime->setUrls({QUrl::fromLocalFile(dir.At("drop.dat"))});
    EXPECT_TRUE(away.Enter());
    away.Leave();
    LibraryFixture::Settle();
    EXPECT_EQ(f.w->undo().history().UndoDepth(), 1u);

    // A ".dat" dropped on an edit of the system page is imported as "Import all"; the edit does not take
    // the path as text (it shows what the import brought, not what was dropped).
    f.w->SelectPage(PavoDlg::PageSystem);
    LibraryFixture::Settle();
    QLineEdit* edit = f.w->SystemPage()->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    Drag dat{edit, edit->rect().center()};
    dat.mime->setUrls({QUrl::fromLocalFile(dir.At("drop.dat"))});
    dat.mime->setText(dir.At("drop.dat"));
    EXPECT_TRUE(dat.Enter());
    EXPECT_TRUE(dat.Drop());
    LibraryFixture::Settle();
    EXPECT_FALSE(edit->text().contains(QStringLiteral("drop.dat")));
    EXPECT_EQ(f.model().system.ProgramNumber, 12);
    EXPECT_TRUE(SameRecord(f.model().current, unit::FactoryProgram(12)));
    EXPECT_EQ(f.w->undo().UndoText(), "Undo: Import all");
    EXPECT_TRUE(f.state.boxes.isEmpty()) << f.state.boxes.join(" | ").toStdString();
}

}  // namespace
}  // namespace pavo
