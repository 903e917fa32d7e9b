#include "app/LibraryCurves.h"

#include <QFile>
#include <QImage>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "model/CodeTables.h"

namespace pavo {

namespace {

// The response graph's axes: 10 Hz .. 30 kHz on a log scale, +12 .. -24 dB.
constexpr double kLowHz = 10, kHighHz = 30000;
constexpr double kTopDb = 12, kBottomDb = -24;
// The thumbnail shows less depth: its curves are small.
constexpr double kThumbTopDb = 12, kThumbBottomDb = -18;

double XOf(double hz, const QRectF& r) {
    return r.left() +
           (std::log10(hz) - std::log10(kLowHz)) / (std::log10(kHighHz) - std::log10(kLowHz)) * r.width();
}

double YOf(double db, const QRectF& r, double top, double bottom) {
    const double clamped = std::clamp(db, bottom - 1, top + 1);
    return r.top() + (top - clamped) / (top - bottom) * r.height();
}

}  // namespace

QColor ThumbnailColour(int curve) {
    static const QColor colours[] = {QColor(64, 176, 255), QColor(255, 170, 40), QColor(120, 220, 90)};
    return colours[std::clamp(curve, 0, 2)];
}

void PaintThumbnail(QPainter& p, const QRectF& area, const ThumbnailCurves& curves) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(36, 44, 42));
    p.drawRoundedRect(area, 3, 3);
    const QRectF r = area.adjusted(2, 2, -2, -2);
    p.setPen(QPen(QColor(90, 104, 100), 0.8));
    const double zero = YOf(0, r, kThumbTopDb, kThumbBottomDb);
    p.drawLine(QPointF(r.left(), zero), QPointF(r.right(), zero));
    p.setClipRect(r);
    const auto& grid = ResponseGrid();
    for (size_t c = 0; c < curves.db.size(); ++c) {
        QPainterPath path;
        for (int k = 0; k < kThumbnailPoints; ++k) {
            const QPointF pt(XOf(grid[ThumbnailGridIndex(k)], r),
                             YOf(curves.db[c][k], r, kThumbTopDb, kThumbBottomDb));
            k == 0 ? path.moveTo(pt) : path.lineTo(pt);
        }
        p.setPen(QPen(ThumbnailColour(int(c)), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    p.restore();
}

void PaintGraph(QPainter& p, const QRectF& area, const GraphPicture& picture) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QColor background = picture.dark ? QColor(36, 44, 42) : QColor(Qt::white);
    const QColor text = picture.dark ? QColor(220, 226, 224) : QColor(Qt::black);
    const QColor grid = picture.dark ? QColor(70, 84, 80) : QColor(200, 200, 200);
    const QColor zeroLine = picture.dark ? QColor(120, 136, 130) : QColor(120, 120, 120);
    p.fillRect(area, background);

    const QFontMetricsF fm(p.font(), p.device());
    const double line = fm.height();
    QRectF plot = area.adjusted(fm.horizontalAdvance(QStringLiteral("-24 dB")) + 10, line * 0.6,
                                -fm.horizontalAdvance(QStringLiteral("00k")) / 2 - 6, -line - 8);
    if (!picture.title.isEmpty()) {
        p.setPen(text);
        p.drawText(QRectF(area.left() + 6, area.top() + 2, area.width() - 12, line),
                   Qt::AlignLeft | Qt::AlignVCenter, picture.title);
        plot.setTop(plot.top() + line + 2);
    }
    if (plot.width() < 20 || plot.height() < 20) {
        p.restore();
        return;
    }

    // Grid: every decade and its 2 and 5; every 6 dB.
    p.setPen(QPen(grid, 0.8));
    p.setBrush(Qt::NoBrush);
    for (double decade = 10; decade < kHighHz; decade *= 10)
        for (double m : {1.0, 2.0, 5.0}) {
            const double hz = decade * m;
            if (hz < kLowHz || hz > kHighHz) continue;
            const double x = XOf(hz, plot);
            p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }
    for (double db = kTopDb; db >= kBottomDb; db -= 6) {
        const double y = YOf(db, plot, kTopDb, kBottomDb);
        p.setPen(QPen(db == 0 ? zeroLine : grid, db == 0 ? 1.2 : 0.8));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    p.setPen(QPen(zeroLine, 1));
    p.drawRect(plot);

    // Axis labels.
    p.setPen(text);
    for (double db = kTopDb; db >= kBottomDb; db -= 6) {
        const double y = YOf(db, plot, kTopDb, kBottomDb);
        p.drawText(QRectF(area.left(), y - line / 2, plot.left() - area.left() - 5, line),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1 dB").arg(db));
    }
    const struct {
        double hz;
        const char* label;
    } marks[] = {{20, "20"},   {50, "50"},   {100, "100"}, {200, "200"},   {500, "500"},
                 {1000, "1k"}, {2000, "2k"}, {5000, "5k"}, {10000, "10k"}, {20000, "20k"}};
    for (const auto& m : marks) {
        const double x = XOf(m.hz, plot);
        p.drawText(QRectF(x - 30, plot.bottom() + 3, 60, line), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromLatin1(m.label));
    }
    p.drawText(QRectF(plot.right() - 60, plot.bottom() + 3, 60 + 6, line), Qt::AlignRight | Qt::AlignTop,
               QStringLiteral("Hz"));

    // Curves, the first drawn last so that it stays on top where they meet.
    const auto& gridHz = ResponseGrid();
    p.save();
    p.setClipRect(plot.adjusted(-1, -1, 1, 1));
    for (size_t i = picture.curves.size(); i-- > 0;) {
        const GraphCurve& c = picture.curves[i];
        QPainterPath path;
        for (int k = 0; k < kGridPoints; ++k) {
            const QPointF pt(XOf(gridHz[k], plot), YOf(c.levels[k], plot, kTopDb, kBottomDb));
            k == 0 ? path.moveTo(pt) : path.lineTo(pt);
        }
        p.setPen(QPen(c.colour, i == 0 ? 2.0 : 1.6));
        p.drawPath(path);
    }
    p.restore();

    // Legend, top right inside the plot.
    double y = plot.top() + 4;
    for (const GraphCurve& c : picture.curves) {
        if (c.label.isEmpty()) continue;
        const double w = fm.horizontalAdvance(c.label);
        const QRectF label(plot.right() - w - 8, y, w, line);
        p.setPen(QPen(c.colour, 2));
        p.drawLine(QPointF(label.left() - 22, label.center().y()),
                   QPointF(label.left() - 6, label.center().y()));
        p.setPen(text);
        p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, c.label);
        y += line;
    }
    p.restore();
}

LibraryGraph::LibraryGraph(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 180);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LibraryGraph::SetPicture(GraphPicture picture) {
    picture_ = std::move(picture);
    update();
}

void LibraryGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintGraph(p, rect(), picture_);
}

bool LibraryGraph::SavePng(const QString& path, qreal scale) const {
    QImage image((QSizeF(size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setFont(font());
        PaintGraph(p, QRectF(QPointF(0, 0), QSizeF(size())), picture_);
    }
    return image.save(path, "PNG");
}

bool LibraryGraph::SaveSvg(const QString& path) const {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size());
    svg.setViewBox(QRect(QPoint(0, 0), size()));
    svg.setTitle(picture_.title);
    QPainter p;
    if (!p.begin(&svg)) return false;
    p.setFont(font());
    PaintGraph(p, QRectF(QPointF(0, 0), QSizeF(size())), picture_);
    return p.end() && QFile::exists(path);
}

}  // namespace pavo
