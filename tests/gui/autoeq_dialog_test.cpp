// The automatic EQ dialog in the main window, against the virtual unit: its entry in the context menu
// of the EQ graphs; Apply makes the fit one undo step whose frames are exactly those of the bands it
// changed, and its undo sends the old codes back; Cancel changes and sends nothing, also while a fit
// runs; a measurement file that cannot be used is named with its line and reason.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstring>

#include "app/AutoEqCommand.h"
#include "app/AutoEqDialog.h"
#include "app/Connection.h"
#include "autoeq_support.h"
#include "model/DataConver.h"
#include "protocol/CommandCodes.h"
#include "undo_support.h"
#include "virtual_unit/UnitLine.h"

namespace pavo {
namespace {

using test::Connect;
using test::Current;
using test::UndoWindow;
using test::UnitHoldsTheProgram;
using unit::UnitLine;

// Everything the unit received from index `from` on, but the status polls.
std::vector<unit::Frame> FramesSince(UnitLine& unit, size_t from) {
    std::vector<unit::Frame> out;
    for (const auto& r : unit.ReceivedFrom(from))
        if (r.frame.cmd != CmdStatusA && r.frame.cmd != CmdStatusB) out.push_back(r.frame);
    return out;
}

// The EQ band frames the scanner sends for the music-left bands that differ between two images, in
// band order (those bands are numbered from 0 on the line).
std::vector<std::vector<uint8_t>> BandFrames(const ProgramImage& from, const ProgramImage& to) {
    std::vector<std::vector<uint8_t>> out;
    for (int i = 0; i < 15; ++i) {
        const EqBand& b = to.MusicLeft.Eq[i];
        if (std::memcmp(&from.MusicLeft.Eq[i], &b, sizeof b) == 0) continue;
        std::vector<uint8_t> payload{static_cast<uint8_t>(i)};
        payload.insert(payload.end(), BytesOf(b), BytesOf(b) + sizeof b);
        out.push_back(payload);
    }
    return out;
}

std::vector<std::vector<uint8_t>> Payloads(const std::vector<unit::Frame>& frames) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& f : frames) {
        EXPECT_EQ(f.cmd, CmdEqBand);
        out.push_back(f.payload);
    }
    return out;
}

// Opens the window's context menu at a point of `on`; gives the entries' texts, and triggers the one
// named `choose` if there is one.
QStringList ContextMenu(PavoDlg& w, QWidget* on, QPoint at, const QString& choose = {}) {
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* chosen = nullptr;
        for (QAction* a : menu->actions()) {
            texts << a->text();
            if (!choose.isEmpty() && a->text() == choose) chosen = a;
        }
        menu->close();
        if (chosen) chosen->trigger();
    });
    const QPoint inWindow = on->mapTo(&w, at);
    test::RightClick(w, inWindow);
    UndoWindow::Settle();
    return texts;
}

AutoEqDialog* OpenFromGraph(UndoWindow& u) {
    ContextMenu(*u.w, u.Graph(), u.Graph()->rect().center(), QStringLiteral("Auto EQ…"));
    return u.w->findChild<AutoEqDialog*>();
}

TEST(AutoEqDialog, ApplyIsOneStepSendingTheChangedBandsAndUndoSendsTheOldCodes) {
    QTemporaryDir dir;
    const QString file = test::WriteMeasurement(dir, "front.txt");
    UndoWindow u;
    auto unit = test::StartUnit();
    ASSERT_TRUE(Connect(u, *unit));
    u.ShowPage(PavoDlg::PageMusic);

    AutoEqDialog* d = OpenFromGraph(u);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->block(), BlockMusicLeft);
    ASSERT_EQ(d->bandCount(), 15);
    for (int n = 9; n <= 15; ++n) d->band(n).setChecked(false);  // these keep their codes
    ASSERT_TRUE(d->LoadMeasurement(file)) << d->status().text().toStdString();
    ASSERT_TRUE(test::FitDone(*d));
    const FitResult fit = *d->Result();
    EXPECT_LT(fit.rmsAfter, fit.rmsBefore / 2);
    EXPECT_TRUE(d->applyButton().isEnabled());

    ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));
    const ProgramImage before = Current(u);
    const size_t depth = u.history().UndoDepth();
    const size_t sent = unit->ReceivedCount();
    QPointer<AutoEqDialog> open(d);
    u.Click(&d->applyButton());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(open.isNull()) << "Apply closes the dialog";

    // One step, named for the command, holding the fitted bands and nothing else.
    const ProgramImage after = Current(u);
    EXPECT_EQ(u.history().UndoDepth(), depth + 1);
    EXPECT_EQ(u.undo().UndoText(), "Undo: Auto EQ");
    SetUiLanguage(LanguageChinese);
    EXPECT_EQ(u.undo().UndoText(), QString::fromUtf8("撤销: 自动均衡"));
    SetUiLanguage(LanguageEnglish);
    ProgramImage expected = before;
    for (const FittedBand& b : fit.bands) {
        if (b.number > 8) {
            EXPECT_FALSE(b.fitted);
            continue;
        }
        expected.MusicLeft.Eq[b.number - 1] = b.codes;
    }
    EXPECT_TRUE(SameRecord(after, expected));
    const auto changed = BandFrames(before, after);
    ASSERT_GE(changed.size(), 3u);
    EXPECT_EQ(u.Strip(0)->GainEdit()->GetValue(), after.MusicLeft.Eq[0].GainCode) << "the page shows it";

    // The scanner sends exactly the changed bands, once each.
    ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));
    EXPECT_EQ(Payloads(FramesSince(*unit, sent)), changed);

    // Undo: the old codes go back, band by band, and nothing else.
    const size_t beforeUndo = unit->ReceivedCount();
    u.Undo();
    EXPECT_TRUE(SameRecord(Current(u), before));
    ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));
    EXPECT_EQ(Payloads(FramesSince(*unit, beforeUndo)), BandFrames(after, before));

    u.Redo();
    EXPECT_TRUE(SameRecord(Current(u), after));
    EXPECT_TRUE(UnitHoldsTheProgram(u, *unit));
}

// Cancel, with the fit done or still running: no step, no change, no frame.
TEST(AutoEqDialog, CancelChangesAndSendsNothing) {
    QTemporaryDir dir;
    const QString file = test::WriteMeasurement(dir, "front.txt");
    UndoWindow u;
    auto unit = test::StartUnit();
    ASSERT_TRUE(Connect(u, *unit));
    u.ShowPage(PavoDlg::PageMusic);
    ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));
    const ProgramImage before = Current(u);
    const size_t depth = u.history().UndoDepth();

    for (bool waitForTheFit : {true, false}) {
        SCOPED_TRACE(waitForTheFit ? "after the fit" : "while fitting");
        AutoEqDialog* d = OpenFromGraph(u);
        ASSERT_NE(d, nullptr);
        ASSERT_TRUE(d->LoadMeasurement(file));
        if (waitForTheFit) {
            ASSERT_TRUE(test::FitDone(*d));
        } else {
            d->FitNow();
            ASSERT_TRUE(d->Fitting());
        }
        const size_t sent = unit->ReceivedCount();
        QPointer<AutoEqDialog> open(d);
        u.Click(&d->cancelButton());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // stops the fit
        EXPECT_TRUE(open.isNull());
        test::WaitUntil([] { return false; }, 300);  // several exchange cycles
        EXPECT_TRUE(SameRecord(Current(u), before));
        EXPECT_EQ(u.history().UndoDepth(), depth);
        EXPECT_TRUE(FramesSince(*unit, sent).empty());
    }
}

// The entry is on the graphs of blocks with EQ bands only.
TEST(AutoEqDialog, TheEntryIsOnEqGraphsOnly) {
    UndoWindow u;
    const QString entry = QStringLiteral("Auto EQ…");
    u.ShowPage(PavoDlg::PageMusic);
    EXPECT_TRUE(ContextMenu(*u.w, u.Graph(), u.Graph()->rect().center()).contains(entry));
    EXPECT_FALSE(ContextMenu(*u.w, u.w.get(), {600, 5}).contains(entry));  // the window, off every graph
    u.ShowPage(PavoDlg::PageDynEq);
    CFStatic* dynamicGraph = nullptr;
    for (CFStatic* g : u.w->findChildren<CFStatic*>())
        if (g->isVisible() && g->GraphId() >= BlockMusicLeftDyn) dynamicGraph = g;
    ASSERT_NE(dynamicGraph, nullptr);
    EXPECT_FALSE(ContextMenu(*u.w, dynamicGraph, dynamicGraph->rect().center()).contains(entry));
}

// A file that cannot be used is named with its line and the reason; the one loaded before stays.
TEST(AutoEqDialog, ABadMeasurementIsRefusedWithItsLine) {
    struct Case {
        const char* text;
        const char* where;  // the status line names this
        bool loads;         // the file itself reads; the fit refuses it
    } cases[] = {
        {"* a comment\n100 80\n200 eighty\n", "bad.txt:3:", false},
        {"# Freq dB\n100 80\n300 81\n200 82\n", "bad.txt:4:", false},
        {"100 80\n1000 81\n", "bad.txt: fewer than 10 points", true},
    };
    QTemporaryDir dir;
    const QString good = test::WriteMeasurement(dir, "good.txt");
    UndoWindow u;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AutoEqDialog* d = OpenAutoEq(*u.w, BlockOutputFirst);
        ASSERT_TRUE(d->LoadMeasurement(good));
        const QString bad = dir.filePath(QStringLiteral("bad.txt"));
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.text);
        f.close();
        EXPECT_EQ(d->LoadMeasurement(bad), c.loads);
        if (c.loads) d->FitNow();
        const QString status = d->status().text();
        EXPECT_TRUE(status.contains(QString::fromLatin1(c.where))) << status.toStdString();
        EXPECT_EQ(d->measurementPath().text().endsWith(QStringLiteral("bad.txt")), c.loads);
        EXPECT_FALSE(d->applyButton().isEnabled());
        d->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace
}  // namespace pavo
