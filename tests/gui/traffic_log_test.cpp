// The traffic log window against the virtual unit: opened from the main window's context menu, it
// lists the connection's frames with their meaning, hides status polls unless asked, pauses, clears,
// saves what it shows, and `--trace` writes the same lines to a file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/Pavo.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app/TrafficLog.h"
#include "app/TrafficLogWindow.h"
#include "app_support.h"

namespace pavo {
namespace {

using test::OnLineAndIdle;
using test::StartUnit;

std::unique_ptr<PavoDlg> OnLineWindow(unit::UnitLine& u, const std::string& traceFile = {}) {
    StartOptions options;
    options.firstPort = u.DevicePath();
    options.onlyFirstPort = true;
    options.traceFile = traceFile;
    auto w = std::make_unique<PavoDlg>(options);
    w->progress().SetGraceTimes(50, 50);
    w->show();
    return w;
}

int Count(const QStringList& lines, const QString& text) {
    int n = 0;
    for (const QString& l : lines) n += l.startsWith(text);
    return n;
}

TEST(TrafficLog, ContextMenuOffersTheLogInBothLanguages) {
    for (int locale : {kLocaleEnglishUs, kLocaleChinesePrc}) {
        test::AppState state;
        SystemLocaleId() = locale;
        StartOptions options;
        options.connectAtStart = false;
        PavoDlg w(options);
        w.show();
        QStringList entries;
        QTimer::singleShot(0, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions()) entries << a->text();
                for (QAction* a : menu->actions())
                    if (a->text() ==
                        (locale == kLocaleChinesePrc ? QString::fromUtf8("通讯记录") : "Traffic log"))
                        a->trigger();
                menu->close();
            }
        });
        test::RightClick(w, QPoint(10, 10));
        EXPECT_TRUE(
            entries.contains(locale == kLocaleChinesePrc ? QString::fromUtf8("通讯记录") : "Traffic log"))
            << entries.join(", ").toStdString();
        ASSERT_NE(w.trafficLog().window(), nullptr);
        EXPECT_TRUE(w.trafficLog().window()->isVisible());
        EXPECT_EQ(w.trafficLog().window()->windowTitle(),
                  locale == kLocaleChinesePrc ? QString::fromUtf8("通讯记录") : "Traffic log");
    }
}

TEST(TrafficLog, ListsTheConnectionWithPollsHiddenPausesClearsAndSaves) {
    test::AppState state;
    auto u = StartUnit();
    auto w = OnLineWindow(*u);
    TrafficLog& log = w->trafficLog();
    EXPECT_FALSE(log.Reading()) << "nobody reads: no work on the UI thread";
    EXPECT_EQ(log.ring().Capacity(), TrafficLog::kClosedRecords);
    ASSERT_TRUE(test::WaitUntil([&] { return OnLineAndIdle(*w); }));

    // Opened after the full read: what the small ring kept is shown, polls hidden by default.
    log.ShowWindow(w.get());
    TrafficLogWindow& win = *log.window();
    EXPECT_TRUE(log.Reading());
    EXPECT_EQ(log.ring().Capacity(), TrafficLog::kOpenRecords);
    EXPECT_TRUE(win.hidePolls().isChecked());
    QStringList shown = win.ShownTexts();
    EXPECT_EQ(shown.value(0), "Device lookup");
    EXPECT_EQ(shown.value(1), "Device found, store authority yes");
    EXPECT_EQ(Count(shown, "Read program name"), 22);
    EXPECT_EQ(Count(shown, "Name of "), 22);
    EXPECT_EQ(Count(shown, "Read current program"), 1);
    EXPECT_EQ(Count(shown, "Image of current program"), 1);
    EXPECT_EQ(Count(shown, "Status"), 0);

    // Polls shown on request, and they keep coming.
    win.hidePolls().setChecked(false);
    ASSERT_TRUE(test::WaitUntil([&] { return Count(win.ShownTexts(), "Status poll") >= 3; }, 10000));
    EXPECT_GE(Count(win.ShownTexts(), "Status A: ") + Count(win.ShownTexts(), "Status B: "), 2);

    // Paused, the list stands still; resumed, nothing that came meanwhile is missing.
    QTest::mouseClick(&win.pause(), Qt::LeftButton);
    const int before = win.ShownTexts().size();
    // Until lines have come in meanwhile (polls keep coming), however slow the machine.
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            log.ReadNow();
            return log.lines().Waiting() > 0;
        },
        10000));
    EXPECT_EQ(win.ShownTexts().size(), before);
    QTest::mouseClick(&win.pause(), Qt::LeftButton);
    EXPECT_GT(win.ShownTexts().size(), before);
    EXPECT_EQ(log.lines().Waiting(), 0u);

    // Saved as shown, whole lines, the program image's bytes complete.
    win.hidePolls().setChecked(true);
    QTemporaryDir dir;
    const QString path = dir.filePath("log");
    state.nextFile = path;
    QTest::mouseClick(&win.save(), Qt::LeftButton);
    QFile file(path + ".txt");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList saved = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(saved.size(), win.ShownTexts().size());
    EXPECT_TRUE(saved[0].contains(
        QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d\d\d\tTX\tFF 55 03 00 7F 00 82\tDevice lookup$)")))
        << saved[0].toStdString();
    int image = -1;
    for (int i = 0; i < saved.size(); ++i)
        if (saved[i].split('\t').value(3).startsWith("Image of current program")) image = i;
    ASSERT_GE(image, 0);
    EXPECT_EQ(saved[image].split('\t').value(2).size(), 2719 * 3 - 1);  // the whole 2719-byte frame
    EXPECT_TRUE(state.boxes.isEmpty());

    QTest::mouseClick(&win.clear(), Qt::LeftButton);
    EXPECT_TRUE(win.ShownTexts().isEmpty());

    // Closed again: back to the small ring, no reading.
    win.close();
    EXPECT_FALSE(log.Reading());
    EXPECT_EQ(log.ring().Capacity(), TrafficLog::kClosedRecords);
}

TEST(TrafficLog, TraceFileGetsEveryLineWhileTheWindowStaysClosed) {
    test::AppState state;
    QTemporaryDir dir;
    const std::string path = dir.filePath("trace.txt").toStdString();
    auto u = StartUnit();
    auto w = OnLineWindow(*u, path);
    EXPECT_TRUE(w->trafficLog().Reading());
    ASSERT_TRUE(test::WaitUntil([&] { return OnLineAndIdle(*w) && u->ReceivedCount() >= 30; }));
    // Every frame the unit got is there (polls too), each followed by its reply. A frame is traced
    // once it has left the port, so the unit may hold the newest one a moment before the trace does.
    const size_t written = u->ReceivedCount();
    QStringList lines;
    size_t tx = 0;
    EXPECT_TRUE(test::WaitUntil([&] {
        w->trafficLog().ReadNow();
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly)) return false;
        lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        tx = 0;
        for (const QString& l : lines) tx += l.split('\t').value(1) == "TX";
        return tx >= written;
    })) << tx
        << " traced, " << written << " received";
    EXPECT_TRUE(lines.value(0).endsWith("\tTX\tFF 55 03 00 7F 00 82\tDevice lookup"))
        << lines.value(0).toStdString();
    EXPECT_TRUE(lines.value(1).endsWith("\tDevice found, store authority yes"))
        << lines.value(1).toStdString();
    EXPECT_EQ(w->trafficLog().window(), nullptr);
}

// A trace file that fails (a full disk) is said once, in the log and the window's status line; the
// unit stays on line and the log goes on. A read-only file is refused and left as it was.
TEST(TrafficLog, AFailingTraceFileIsSaidOnceAndTheExchangeGoesOn) {
    test::AppState state;
    auto u = StartUnit();
    auto w = OnLineWindow(*u, "/dev/full");
    TrafficLog& log = w->trafficLog();
    log.ShowWindow(w.get());
    TrafficLogWindow& win = *log.window();
    win.hidePolls().setChecked(false);
    const QString failure =
        QStringLiteral("the trace file /dev/full could not be written: No space left on device; the trace stops here");
    ASSERT_TRUE(test::WaitUntil([&] { return OnLineAndIdle(*w) && win.ShownTexts().contains(failure); }));
    EXPECT_EQ(win.traceStatus().text(), failure);
    EXPECT_TRUE(win.traceStatus().isVisible());
    // The exchange goes on, and the failure is not said again.
    const size_t frames = u->ReceivedCount();
    ASSERT_TRUE(test::WaitUntil([&] {
        log.ReadNow();
        return u->ReceivedCount() >= frames + 10;
    }));
    log.ReadNow();
    EXPECT_EQ(win.ShownTexts().count(failure), 1);
    EXPECT_TRUE(OnLineAndIdle(*w));

    QTemporaryDir dir;
    const std::string locked = dir.filePath("locked.txt").toStdString();
    {
        QFile f(QString::fromStdString(locked));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    QFile::setPermissions(QString::fromStdString(locked), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    std::string error;
    EXPECT_FALSE(log.WriteTraceTo(locked, &error));
    EXPECT_EQ(error, "cannot write the trace file " + locked + ": the file is read-only");
    QFile f(QString::fromStdString(locked));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep"));
}

TEST(TrafficLog, CommandLineTakesATraceFile) {
    char arg0[] = "pavo", trace[] = "--trace", file[] = "t.txt", joined[] = "--trace=u.txt",
         bare[] = "--trace";
    char* full[] = {arg0, trace, file};
    EXPECT_EQ(ParseCommandLine(3, full).traceFile, "t.txt");
    char* eq[] = {arg0, joined};
    EXPECT_EQ(ParseCommandLine(2, eq).traceFile, "u.txt");
    char* missing[] = {arg0, bare};
    EXPECT_FALSE(ParseCommandLine(2, missing).error.empty());
}

}  // namespace
}  // namespace pavo
