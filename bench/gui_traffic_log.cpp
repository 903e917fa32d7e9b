// The traffic log never slows the exchange.
//   1. End to end: status-poll exchanges per second of the real engine against the virtual unit with
//      no trace observer at all, and with the traffic log window open (status polls hidden, then
//      shown, so every frame becomes a row), the UI thread's event loop running all the while, on the
//      offscreen platform. The set-ups take turns and the best run of each counts; goal: the rate with
//      the window open >= 0.95 of the rate without it. The process's CPU use is printed beside it.
//   2. The engine's own share: what handing one record to the log costs the engine's thread, for a
//      status poll and for a program image, against the 20 ms of an exchange cycle.
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/TrafficLog.h"
#include "app/TrafficLogWindow.h"
#include "bench_support.h"
#include "model/Model.h"
#include "protocol/ProtocolHandler.h"
#include "serial/SerialPort.h"
#include "unit/Unit.h"
#include "virtual_unit/UnitLine.h"

namespace {

using namespace pavo;

enum class Log { None, PollsHidden, PollsShown };

double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Measured {
    double rate = 0;  // exchanges per second
    double cpu = 0;   // share of one core the whole process used (engine, unit, UI)
};

Measured Exchanges(Log log, unsigned wireBaud, double seconds) {
    Unit programUnit(false);
    AcceptProgram(programUnit.model(), true);
    std::unique_ptr<TrafficLog> traffic;
    if (log != Log::None) {
        traffic = std::make_unique<TrafficLog>(programUnit.handler());
        traffic->ShowWindow(nullptr);
        traffic->window()->hidePolls().setChecked(log == Log::PollsHidden);
    }
    unit::UnitOptions options;
    options.wireBaud = wireBaud;
    unit::UnitLine line(options);
    SerialPort port(programUnit.handler());
    if (!line.Start() || port.OpenPort(line.DevicePath(), 115200, 'N', 8, 0, kEventRxChar | kEventCts, 115200) ||
        !port.StartEngine())
        return {};
    // The UI thread runs its event loop (timers, the log's reads, painting) as in the program.
    auto spin = [](double s) {
        QElapsedTimer t;
        t.start();
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(s * 1000), &loop, &QEventLoop::quit);
        loop.exec();
        return t.elapsed() / 1000.0;
    };
    spin(0.5);  // settled
    const size_t first = line.ReceivedCount();
    const double cpu0 = ProcessCpuSeconds();
    const double elapsed = spin(seconds);
    const size_t last = line.ReceivedCount();
    const double cpu = ProcessCpuSeconds() - cpu0;
    port.ClosePort();
    return {(last - first) / elapsed, cpu / elapsed};
}

struct Rates {
    Measured none, hidden, shown;
};

void KeepBest(Measured& best, const Measured& m) {
    if (m.rate > best.rate) best = m;
}

Rates BestOfTurns(unsigned wireBaud) {
    Rates best;
    for (int turn = 0; turn < 5; ++turn) {
        KeepBest(best.none, Exchanges(Log::None, wireBaud, 4));
        KeepBest(best.hidden, Exchanges(Log::PollsHidden, wireBaud, 4));
        KeepBest(best.shown, Exchanges(Log::PollsShown, wireBaud, 4));
    }
    return best;
}

// One record handed to the log's ring, as the engine does it, in nanoseconds.
double RecordNanos(size_t frameBytes) {
    TraceRing ring(TrafficLog::kOpenRecords);
    std::vector<uint8_t> frame(frameBytes, 0x5A);
    const TraceEvent e{TraceKind::Written, 0x0C, 0, frame.data(), frame.size()};
    return bench::BestNanos([&](int) { ring.OnTrace(e); }, 2000, 30);
}

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}  // the offscreen platform's notes

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    qInstallMessageHandler(Quiet);
    for (unsigned baud : {0u, 115200u}) {
        const Rates r = BestOfTurns(baud);
        std::printf(
            "%s  no log %5.2f /s (CPU %4.1f %%)  log open, polls hidden %5.2f /s (CPU %4.1f %%) ratio %.3f  "
            "polls shown %5.2f /s (CPU %4.1f %%) ratio %.3f  (goal >= 0.95)\n",
            baud ? "unit paced at 115200:" : "instant unit:        ", r.none.rate, 100 * r.none.cpu,
            r.hidden.rate, 100 * r.hidden.cpu, r.hidden.rate / r.none.rate, r.shown.rate, 100 * r.shown.cpu,
            r.shown.rate / r.none.rate);
    }
    const double poll = RecordNanos(7), image = RecordNanos(2719);
    std::printf(
        "engine's cost of one record: status poll %.0f ns, program image %.0f ns; "
        "share of a 20 ms cycle %.5f %% / %.5f %%\n",
        poll, image, 100 * poll / 20e6, 100 * image / 20e6);
    return 0;
}
