#pragma once
// Helpers for the response-graph and band-strip tests: a unit of their own with a few shaped bands,
// a graph on a window of its own that reports to a recording page, and pixel checks.
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <memory>

#include "controls_support.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "model/Model.h"
#include "model/Records.h"
#include "unit/Unit.h"

namespace pavo::test {

// A filter's record as it stands in the model, read under the model lock.
inline EqBand BandRecord(const CFilter& f) {
    return f.BandRecord();
}
inline FilterSetting SettingRecord(const CFilter& f) {
    return f.SettingRecord();
}

// A band shaped through its CFilter, as a strip or a drag would.
inline void ShapeBand(CFilter& f, FilterType type, int frequencyCode, int gainCode, int qCode) {
    f.SetType(type);
    f.SetFrequencyCode(frequencyCode);
    f.SetQCode(qCode);
    f.SetGainCode(gainCode);
}

inline void ShapeFilter(CFilter* f, int frequencyCode, int slopeCode) {
    f->SetFilterFrequencyCode(frequencyCode);
    f->SetSlopeCode(slopeCode);
}

// A typical music EQ: a low shelf, two peaks, a cut, a high shelf, high-pass and low-pass in use.
inline void ShapeTypicalEq(CKTVEQ& set) {
    ShapeBand(set[0], FilterType::LowShelf, 70, 150, 10);
    ShapeBand(set[2], FilterType::Peak, 140, 150, 16);
    ShapeBand(set[5], FilterType::Peak, 215, 85, 20);
    ShapeBand(set[7], FilterType::Peak, 280, 140, 12);
    ShapeBand(set[9], FilterType::HighShelf, 320, 100, 10);
    if (set.GetHighPass()) ShapeFilter(set.GetHighPass(), 60, 9);
    if (set.GetLowPass()) ShapeFilter(set.GetLowPass(), 340, 3);
}

// A graph on its own window, laid out for one block and reporting to a recording page.
struct GraphWindow {
    QWidget window;
    RecordingParent page;
    CFStatic* graph;

    // A graph on the band sets of `unit` (the test's, freshly reset: every band flat, filters off,
    // scene 1, no bypass).
    GraphWindow(Unit& unit, int block, int pageIndex, QSize size = {760, 280}) {
        window.resize(size);
        graph = new CFStatic(unit.bands(), &window);
        graph->setGeometry(QRect(QPoint(0, 0), size));
        graph->InitLayout();
        graph->SetNotifyWindow(&page);
        graph->SetPlotRects(pageIndex);
        graph->ShowBandSet(block);
        window.show();
        FlushPaints();
    }
    CKTVEQ& Set() const { return *graph->BandSet(); }
    QImage Image(qreal dpr = 1.0) const { return Grab(graph, dpr); }
    // Messages of one kind the page has received so far.
    int Count(unsigned message) {
        int n = 0;
        for (const Message& m : page.Take()) n += m.message == message;
        return n;
    }
};

// The point of a band's handle centre.
inline QPoint HandleCentre(const CFilter& f) {
    const PlotPoint c = f.HandleRect().Centre();
    return {c.x, c.y};
}

// Colour closeness, for anti-aliased pixels.
inline bool Near(QRgb a, QColor b, int tolerance) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

}  // namespace pavo::test

namespace pavo::test {

// A mouse move with no button held, straight to the widget (the pointer "hovers").
inline void Hover(QWidget* w, QPoint pos) {
    QMouseEvent e(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The centre of the summed curve's ink in one pixel column of a grabbed graph (rows counted from the
// control's top), or a negative value when the column holds none of it. Curve pixels are the ones
// much redder than they are green or blue: the grid, the highlight, the texts and the overlay are not.
// Rows of `skip` (a selected handle's red frame) are left out.
inline double CurveInkCentre(const QImage& img, int x, QRect skip = {}) {
    double sum = 0, weight = 0;
    for (int y = 0; y < img.height(); ++y) {
        if (skip.contains(x, y)) continue;
        const QRgb p = img.pixel(x, y);
        const int w = qRed(p) - std::max(qGreen(p), qBlue(p));
        if (qRed(p) >= 90 && w > 60) {
            sum += w * (y + 0.5);
            weight += w;
        }
    }
    return weight > 0 ? sum / weight : -1;
}

}  // namespace pavo::test
