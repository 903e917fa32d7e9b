// Drag to sound: how long after a mouse-move of a graph drag on the music page the band's new value
// is on the line, with the program connected to the virtual unit on a pseudo-terminal. The time runs
// from just before the move event is delivered to the graph until the unit has received the EQ band
// frame; the moves come at random phases of the exchange cycle. The cycle itself (status polls while
// idle) is measured in the same run. Goal: median <= one cycle + 5 ms.
#include <QApplication>
#include <QMouseEvent>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "app/Connection.h"
#include "app/Pavo.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "pages/MusicDlg.h"
#include "platform/WinMessage.h"
#include "protocol/CommandCodes.h"
#include "virtual_unit/UnitLine.h"

namespace pavo {
namespace {

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

bool WaitFor(const std::function<bool()>& done, double timeoutMs) {
    const double until = NowMs() + timeoutMs;
    while (!done()) {
        if (NowMs() > until) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 1);
        DeliverPostedMessages();
    }
    return true;
}

void Move(QWidget* w, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void Button(QWidget* w, QEvent::Type type, QPoint at) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

int Run() {
    unit::UnitLine unitLine;
    std::string error;
    const double before = NowMs();
    if (!unitLine.Start(&error)) {
        std::fprintf(stderr, "the virtual unit could not start: %s\n", error.c_str());
        return 1;
    }
    // The unit stamps frames from its start; its clock started between these two readings.
    const double unitStart = (before + NowMs()) / 2;

    StartOptions options;
    options.connectAtStart = false;
    PavoDlg window(options);
    window.progress().SetGraceTimes(10, 10);
    window.show();
    window.connection().SetPortLister(
        [path = unitLine.DevicePath()] { return std::vector<std::string>{path}; });
    PostMessage(&window, WM_CONNECT_REQUEST);
    if (!WaitFor(
            [&] {
                const UnitFlags& flags = window.unit().model().flags;
                return flags.connected.load() && window.progress().mode() == Show_Dlg::Mode::Hidden &&
                       flags.transferPending.load() == 0 && window.programLabelText() != "Off Line";
            },
            30000)) {
        std::fprintf(stderr, "no connection to the virtual unit\n");
        return 1;
    }
    window.SelectPage(PavoDlg::PageMusic);
    auto* music = static_cast<MusicDlg*>(window.Page(PavoDlg::PageMusic));
    CFStatic* graph = music->Graph();

    // The exchange cycle while idle: the spacing of the status polls.
    WaitFor([] { return false; }, 300);
    size_t mark = unitLine.ReceivedCount();
    WaitFor([] { return false; }, 1500);
    std::vector<double> gaps;
    {
        const auto frames = unitLine.Received();
        for (size_t i = mark + 1; i < frames.size(); ++i) gaps.push_back(frames[i].atMs - frames[i - 1].atMs);
    }
    if (gaps.size() < 10) {
        std::fprintf(stderr, "too few exchanges while idle\n");
        return 1;
    }
    const double cycle = Percentile(gaps, 0.5);

    // Grab band 5 and drag it up and down; each move changes its gain.
    CFilter& band = (*graph->BandSet())[4];
    const PlotPoint c = band.HandleRect().Centre();
    const QPoint start(c.x, c.y);
    Move(graph, start, Qt::NoButton);
    Button(graph, QEvent::MouseButtonPress, start);
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> phase(0, cycle);
    std::vector<double> latencies;
    constexpr int kMoves = 60;
    for (int i = 0; i < kMoves; ++i) {
        WaitFor([] { return false; }, phase(random));
        mark = unitLine.ReceivedCount();
        const QPoint at = start + QPoint(i % 7, i % 2 == 0 ? -30 : -10);
        const double t0 = NowMs() - unitStart;
        Move(graph, at, Qt::LeftButton);
        const EqBand record = band.BandRecord();
        const uint16_t freq = record.FrequencyCode.get();
        const uint8_t gain = record.GainCode;
        double arrived = -1;
        WaitFor(
            [&] {
                const auto frames = unitLine.Received();
                for (size_t k = mark; k < frames.size(); ++k) {
                    const unit::Frame& f = frames[k].frame;
                    // The band frame carries the whole 5-byte band after its index bytes.
                    if (f.cmd == CmdEqBand && f.payload.size() >= 5 && frames[k].atMs >= t0) {
                        const uint8_t* b = f.payload.data() + f.payload.size() - 5;
                        if ((b[0] | (b[1] << 8)) == freq && b[2] == gain) {
                            arrived = frames[k].atMs;
                            return true;
                        }
                    }
                }
                return false;
            },
            2000);
        if (arrived >= 0) latencies.push_back(arrived - t0);
    }
    Button(graph, QEvent::MouseButtonRelease, start);

    if (latencies.size() < kMoves / 2) {
        std::fprintf(stderr, "only %zu of %d moves reached the unit\n", latencies.size(), kMoves);
        return 1;
    }
    const double median = Percentile(latencies, 0.5);
    std::printf(
        "drag to sound (music page graph, virtual unit): median %.1f ms, 90th percentile %.1f ms, max %.1f "
        "ms "
        "over %zu moves\nexchange cycle measured while idle: %.1f ms; goal median <= cycle + 5 ms = %.1f ms: "
        "%s\n",
        median, Percentile(latencies, 0.9), Percentile(latencies, 1.0), latencies.size(), cycle, cycle + 5,
        median <= cycle + 5 ? "met" : "NOT met");
    return 0;
}

}  // namespace
}  // namespace pavo

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pavo::SystemLocaleId() = pavo::kLocaleEnglishUs;
    return pavo::Run();
}
