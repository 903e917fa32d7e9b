// Speed of the response graph during a drag, on the music page's graph size: one drag step as the
// user feels it (DragBand, SumResponse and the whole plot pass into the off-screen image, with the
// dragged band highlighted, framed and described) beside the bare 420-point anti-aliased curve drawn
// on an image of the same size. After the Google Benchmark table a summary line gives the ratio from
// a manual timing in the same run and the steps per second (goal: full step <= 3x the bare curve).
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "platform/DialogTemplate.h"
#include "unit/Unit.h"

namespace pavo {
namespace {

using bench::BestNanos;

// The music page's graph: 706 x 167 dialog units.
QSize MusicGraphSize() {
    return DialogUnits().ToPixels(QSize(706, 167));
}

void Shape(CFilter& f, FilterType type, int frequencyCode, int gainCode, int qCode) {
    f.SetType(type);
    f.SetFrequencyCode(frequencyCode);
    f.SetQCode(qCode);
    f.SetGainCode(gainCode);
}

// The music graph showing a shaped left channel, with band 5 under the mouse and grabbed.
struct GraphFixture {
    Unit unit{false};
    std::unique_ptr<CFStatic> graph;
    CFilter* band = nullptr;
    QPoint start;
    PlotPoint grab;

    GraphFixture() {
        CKTVEQ& set = *unit.bands().Of(BlockMusicLeft);
        for (int i = 0; i < 15; ++i)
            Shape(set[i], static_cast<FilterType>(1 + i % 3), 20 + 22 * i, 90 + 5 * i, 8 + 2 * i);
        set.GetHighPass()->SetFilterFrequencyCode(60);
        set.GetHighPass()->SetSlopeCode(9);
        set.GetLowPass()->SetFilterFrequencyCode(330);
        set.GetLowPass()->SetSlopeCode(12);

        graph = std::make_unique<CFStatic>(unit.bands());
        graph->resize(MusicGraphSize());
        graph->InitLayout();
        graph->SetPlotRects(0);
        graph->ShowBandSet(BlockMusicLeft);
        band = &set[5];
        start = QPoint(band->HandleRect().Centre().x, band->HandleRect().Centre().y);
        QMouseEvent hover(QEvent::MouseMove, start, start, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(graph.get(), &hover);  // the band becomes the highlighted one
        grab = band->GrabOffset({start.x(), start.y()});
    }
    // Alternate between two points so that every step changes the band.
    PlotPoint Mouse(int i) const {
        return i % 2 ? PlotPoint{start.x() + 40, start.y() - 25} : PlotPoint{start.x(), start.y()};
    }
    void Step(int i) {
        band->DragBand(Mouse(i), grab);
        graph->SelectBand(-1, false);  // SumResponse and the plot pass
    }
};

// Only the curve: the same 420 points, pen and anti-aliasing, on an image of the plot's size.
struct BareCurveFixture {
    QImage image;
    std::array<QPointF, kGridPoints> points;

    explicit BareCurveFixture(const GraphFixture& g) {
        const PlotRect plot = g.graph->PlotRectangle();
        image = QImage(QSize(plot.Width(), plot.Height()), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        const auto& curve = g.graph->BandSet()->SumCurve();
        for (int k = 0; k < kGridPoints; ++k)
            points[k] = QPointF(curve[k].x - plot.left, curve[k].y - plot.top);
    }
    void Draw() {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(255, 49, 68), 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawPolyline(points.data(), kGridPoints);
    }
};

// A mouse event straight to the graph, as the window system delivers it during a drag.
void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void BM_DragStep(benchmark::State& state) {
    GraphFixture g;
    int i = 0;
    for (auto _ : state) {
        g.Step(++i);
        benchmark::DoNotOptimize(g.graph->PlotImage().constBits());
    }
}
void BM_BareCurve(benchmark::State& state) {
    GraphFixture g;
    BareCurveFixture bare(g);
    for (auto _ : state) {
        bare.Draw();
        benchmark::DoNotOptimize(bare.image.constBits());
    }
}
BENCHMARK(BM_DragStep);
BENCHMARK(BM_BareCurve);

void PrintSummary() {
    GraphFixture g;
    BareCurveFixture bare(g);
    // The same step driven by mouse events, as the control receives them during a drag.
    GraphFixture m;
    SendMouse(m.graph.get(), QEvent::MouseButtonPress, m.start, Qt::LeftButton, Qt::LeftButton);

    const double step = BestNanos([&](int i) { g.Step(i + 1); }, 50, 40);
    const double curve = BestNanos([&](int) { bare.Draw(); }, 50, 40);
    const double mouse = BestNanos([&](int i) {
        const PlotPoint p = m.Mouse(i + 1);
        SendMouse(m.graph.get(), QEvent::MouseMove, QPoint(p.x, p.y), Qt::NoButton, Qt::LeftButton);
    });
    SendMouse(m.graph.get(), QEvent::MouseButtonRelease, m.start, Qt::LeftButton, Qt::NoButton);
    const PlotRect plot = g.graph->PlotRectangle();
    std::printf(
        "\nSUMMARY (plot %d x %d, best of 40 runs of 50): drag step %.0f us, bare curve %.0f us, ratio %.2fx "
        "[goal <= 3x]; %.0f steps per second (%.0f through mouse events, %.0f us each)\n",
        plot.Width(), plot.Height(), step / 1000, curve / 1000, step / curve, 1e9 / step, 1e9 / mouse,
        mouse / 1000);
}

}  // namespace
}  // namespace pavo

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    pavo::PrintSummary();
    return 0;
}
