// How fast the main window's pages appear: for every page index (and the effect page), the page switch
// (SelectPage with the page's RefreshFromModel) and the refresh after a received program (another
// program stored, the band sets re-reading it and the current page refreshed), each alone and with the window's repaint that
// follows, as medians of many runs against one 60 Hz frame. The first switch to a page is printed on
// its own: pages build their controls then. The window is off line on a program of the virtual unit's
// factory set, so the curves and values are those of a real program.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/Pavo.h"
#include "app/PavoDlg.h"
#include "model/Flags.h"
#include "model/Model.h"
#include "pages/PageDlg.h"
#include "platform/WinMessage.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo {
namespace {

constexpr double kFrameMs = 1000.0 / 60;
constexpr int kRuns = 40;

double Ms(const std::function<void()>& step) {
    const auto t0 = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void LoadFactoryProgram(Model& m, int n = 1) {
    m.Edit([&] {
        m.current = unit::FactoryProgram(n);
        m.system = unit::FactorySystem();
        m.lastSent = m.current;
        m.lastSentSystem = m.system;
    });
    m.RecordsReplaced();
}

// A program arrives as the receive path stores it (another one each time, so every band changes),
// and the window handles the report.
void ReceiveProgram(PavoDlg& window, int n) {
    LoadFactoryProgram(window.unit().model(), n);
    window.OnProgramReceived(ProgramSource::Read);
}

const char* PageName(int index) {
    static const char* const names[] = {"Music",          "DEQ", "Mic", "Out1&2", "Out3&4", "System",
                                        "Effect (no tab)"};
    return names[index];
}

int Run() {
    StartOptions options;
    options.connectAtStart = false;
    PavoDlg window(options);
    LoadFactoryProgram(window.unit().model());
    window.show();
    QApplication::processEvents();

    std::vector<int> pages;
    for (int i = 0; i < 7; ++i)
        if (window.Page(i)) pages.push_back(i);
    const int away = PavoDlg::PageSystem;  // switched to between runs; measured after the others

    std::printf("page switch and refresh after a received program (median of %d, ms; one frame is %.1f ms)\n",
                kRuns, kFrameMs);
    std::printf("%-16s %12s %10s %14s %12s %16s\n", "page", "first switch", "switch", "switch+paint",
                "program", "program+paint");
    bool withinFrame = true;
    for (int index : pages) {
        const int other = index == away ? PavoDlg::PageMusic : away;
        window.SelectPage(other);
        QApplication::processEvents();
        const double first = Ms([&] { window.SelectPage(index); });
        QApplication::processEvents();

        std::vector<double> sw, swPaint, program, programPaint;
        for (int r = 0; r < kRuns; ++r) {
            window.SelectPage(other);
            sw.push_back(Ms([&] { window.SelectPage(index); }));
            window.SelectPage(other);
            swPaint.push_back(Ms([&] {
                window.SelectPage(index);
                window.repaint();
            }));
            program.push_back(Ms([&] { ReceiveProgram(window, 2 + r % 2); }));
            programPaint.push_back(Ms([&] {
                ReceiveProgram(window, 2 + (r + 1) % 2);
                window.repaint();
            }));
            QApplication::processEvents();
            DeliverPostedMessages();
        }
        const double figures[] = {Median(sw), Median(swPaint), Median(program), Median(programPaint)};
        for (double f : figures) withinFrame = withinFrame && f <= kFrameMs;
        std::printf("%-16s %12.2f %10.2f %14.2f %12.2f %16.2f\n", PageName(index), first, figures[0],
                    figures[1], figures[2], figures[3]);
    }
    std::printf("every page within one frame (switch, program refresh, each with its paint): %s\n",
                withinFrame ? "yes" : "NO");
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
