// The preset library on a folder of 1000 presets (950 programs and 50 banks written by the program's
// own writers): how long until the list is shown, whether the thumbnails fill in without holding the
// UI thread (the longest time between two turns of its event loop, against one 60 Hz frame), and how
// long a comparison of two programs takes, in the core and as the window shows it. Each figure is
// printed with its goal and with a reference measured in the same run: reading the files' bytes
// alone on the UI thread for the list, a byte comparison of the two records for the comparison.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/LibraryCompare.h"
#include "app/LibraryModel.h"
#include "app/LibraryScanner.h"
#include "app/LibraryWindow.h"
#include "app/Pavo.h"
#include "app/PavoDlg.h"
#include "bench_support.h"
#include "library/ProgramCompare.h"
#include "model/PresetFiles.h"
#include "platform/Language.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo {
namespace {

constexpr int kFiles = 1000;
constexpr int kBanks = 50;
constexpr double kListGoalMs = 300;
constexpr double kGapGoalMs = 16;
constexpr double kCompareGoalMs = 5;

double MsSince(const std::chrono::steady_clock::time_point& t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void WriteFolder(const QString& dir) {
    auto bank = std::make_unique<ProgramBank>();
    bank->System = unit::FactorySystem();
    for (int n = 1; n <= kProgramCount; ++n) bank->Programs[n - 1] = unit::FactoryProgram(n);
    bank->Valid = 1;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        if (i < kBanks) {
            std::snprintf(name, sizeof name, "bank %03d.dat", i);
            bank->System.ProgramNumber = static_cast<uint8_t>(1 + i % kProgramCount);
            WriteDat(QDir(dir).filePath(name).toStdString(), *bank);
        } else {
            std::snprintf(name, sizeof name, "room %04d.dia", i);
            ProgramImage image = unit::FactoryProgram(1 + i % kProgramCount);
            image.MusicLeft.Eq[i % 10].GainCode = static_cast<uint8_t>(100 + i % 40);
            WriteDia(QDir(dir).filePath(name).toStdString(), unit::FactorySystem(), image);
        }
    }
}

// Runs the event loop until `done`, timing every gap between two turns of it (a 1 ms timer's ticks).
struct LoopWatch {
    double longestGapMs = 0;
    int gapsOverGoal = 0;

    template <class Done>
    double RunUntil(Done done, int timeoutMs = 120000) {
        const auto t0 = std::chrono::steady_clock::now();
        auto last = t0;
        QEventLoop loop;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        double finishedMs = -1;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const auto now = std::chrono::steady_clock::now();
            const double gap = std::chrono::duration<double, std::milli>(now - last).count();
            last = now;
            longestGapMs = std::max(longestGapMs, gap);
            gapsOverGoal += gap > kGapGoalMs;
            if (done() || MsSince(t0) > timeoutMs) {
                finishedMs = MsSince(t0);
                loop.quit();
            }
        });
        tick.start();
        loop.exec();
        return finishedMs;
    }
};

int Run() {
    QTemporaryDir temp;
    const QString dir = temp.path() + "/presets";
    QDir().mkpath(dir);
    WriteFolder(dir);

    // Reference: the files' bytes read one after the other on the UI thread.
    const auto r0 = std::chrono::steady_clock::now();
    qint64 bytes = 0;
    for (const QString& name : QDir(dir).entryList(QDir::Files)) {
        QFile f(QDir(dir).filePath(name));
        if (f.open(QIODevice::ReadOnly)) bytes += f.readAll().size();
    }
    const double readMs = MsSince(r0);

    StartOptions options;
    options.connectAtStart = false;
    PavoDlg window(options);
    window.show();
    window.ShowLibrary();
    LibraryWindow& lib = *window.library();
    lib.resize(1180, 660);
    QApplication::processEvents();

    // The list, then the thumbnails, on one watched event loop.
    LoopWatch watch;
    const auto t0 = std::chrono::steady_clock::now();
    lib.SetFolder(dir);
    double listMs = -1;
    const double doneMs = watch.RunUntil([&] {
        if (listMs < 0 && !lib.ScanRunning() && lib.model().fileCount() == kFiles) {
            lib.list().viewport()->repaint();
            listMs = MsSince(t0);
        }
        return listMs >= 0 && lib.model().filesWithoutCurves() == 0 && !lib.scanner().Busy();
    });
    const double listGap = watch.longestGapMs;

    // Comparison of two different programs: the core's, and the window's panel filled with it.
    const ProgramImage a = unit::FactoryProgram(2), b = unit::FactoryProgram(11);
    const SystemRecord sa = unit::FactorySystem(), sb = unit::FactorySystem();
    size_t differences = 0;
    const double compareNs = bench::BestNanos(
        [&](int) {
            differences = CompareSides({&a, &sa}, {&b, &sb}).size();
        },
        20, 30);
    const double memcmpNs = bench::BestNanos(
        [&](int) {
            volatile int r = std::memcmp(&a, &b, sizeof a);
            (void)r;
        },
        200, 30);
    std::vector<double> panel;
    for (int i = 0; i < 15; ++i) {
        const auto p0 = std::chrono::steady_clock::now();
        lib.compare().Show({&a, &sa}, {i % 2 ? &a : &b, &sb}, false);
        lib.compare().Show({&a, &sa}, {&b, &sb}, false);
        panel.push_back(MsSince(p0) / 2);
        QApplication::processEvents();
    }

    std::printf("preset library, a folder of %d presets (%d banks), %.1f MB\n", kFiles, kBanks, bytes / 1e6);
    std::printf("%-44s %10s %10s %10s\n", "", "measured", "goal", "ratio");
    std::printf("%-44s %8.1f ms %7.0f ms %10.2f\n", "list shown (scan, rows, first paint)", listMs,
                kListGoalMs, listMs / kListGoalMs);
    std::printf("%-44s %8.1f ms %10s %10.2f\n", "  reference: reading the files on the UI thread", readMs, "",
                listMs / readMs);
    std::printf("%-44s %8.1f ms %10s\n", "thumbnails all filled in", doneMs, "");
    std::printf("%-44s %8.1f ms %7.0f ms %10.2f\n", "longest UI-thread stall meanwhile", listGap, kGapGoalMs,
                listGap / kGapGoalMs);
    std::printf("%-44s %10d %10d\n", "  turns of the loop later than the goal", watch.gapsOverGoal, 0);
    std::printf("%-44s %8.3f ms %7.0f ms %10.3f\n", "compare two programs (core)", compareNs / 1e6,
                kCompareGoalMs, compareNs / 1e6 / kCompareGoalMs);
    std::printf("%-44s %8.4f ms %10s %10.0f\n", "  reference: memcmp of the two images", memcmpNs / 1e6, "",
                compareNs / memcmpNs);
    std::printf("%-44s %8.3f ms %7.0f ms %10.3f\n", "compare two programs (panel filled)", Median(panel),
                kCompareGoalMs, Median(panel) / kCompareGoalMs);
    std::printf("  (%zu fields differ between the two programs)\n", differences);
    const bool ok = listMs <= kListGoalMs && listGap <= kGapGoalMs && compareNs / 1e6 <= kCompareGoalMs &&
                    Median(panel) <= kCompareGoalMs;
    std::printf("all goals met: %s\n", ok ? "yes" : "NO");
    return 0;
}

}  // namespace
}  // namespace pavo

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The library remembers its folder: in settings of the run's own, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    pavo::SystemLocaleId() = pavo::kLocaleEnglishUs;
    return pavo::Run();
}
