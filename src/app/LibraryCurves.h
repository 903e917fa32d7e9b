#pragma once
// How the preset library draws responses: the thumbnail of an entry (three summed curves on one log
// axis) and the response graph with curves overlaid (the window's graph, the PNG and SVG exports and
// the report's pictures are the same drawing on different devices). Everything is drawn as vector
// paths, so each device renders it at its own resolution: the screen at its pixel ratio, a PDF as
// curves.
#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <vector>

#include "eq/FilterResponse.h"
#include "library/ProgramCurves.h"

namespace pavo {

// The thumbnail's colours, one per block of kThumbnailBlocks (music left, mic 1&2, out 1&2).
QColor ThumbnailColour(int curve);
void PaintThumbnail(QPainter& p, const QRectF& area, const ThumbnailCurves& curves);
// The size of a thumbnail in the list (logical pixels).
constexpr int kThumbnailWidth = 84;
constexpr int kThumbnailHeight = 30;

struct GraphCurve {
    QString label;
    QColor colour;
    GridLevels levels{};
};

struct GraphPicture {
    QString title;  // drawn above the plot; empty: none
    std::vector<GraphCurve> curves;
    bool dark = true;  // the window's dark skin; false: black on white (paper, exports for documents)
};

// The whole graph inside `area`: title, axes with their labels, grid and the curves with a legend.
void PaintGraph(QPainter& p, const QRectF& area, const GraphPicture& picture);

// The response graph of the library window.
class LibraryGraph : public QWidget {
    Q_OBJECT
public:
    explicit LibraryGraph(QWidget* parent = nullptr);
    void SetPicture(GraphPicture picture);
    const GraphPicture& picture() const { return picture_; }

    // The graph as it is shown, at `scale` times its size (PNG), or as SVG. False if it cannot be
    // written.
    bool SavePng(const QString& path, qreal scale = 2) const;
    bool SaveSvg(const QString& path) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    GraphPicture picture_;
};

}  // namespace pavo
