#include "app/AutoEqPreview.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "eq/CFStaticColours.h"
#include "eq/PlotGeometry.h"
#include "model/CodeTables.h"
#include "platform/Language.h"

namespace pavo {

namespace {

const QColor kRangeShade(40, 48, 40);
const QColor kMeasuredColour(150, 150, 150);
const QColor kTargetColour(255, 210, 60);
const QColor kNowColour(90, 140, 255);
const QColor kFittedColour(255, 49, 68);  // the graph's own curve colour: what Apply gives the graph
const QColor kResultColour(80, 230, 120);

QFont SmallFont() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

constexpr double kGridHz[] = {20,   30,   40,   50,   60,   70,   80,    90,   100,  200,
                              300,  400,  500,  600,  700,  800,  900,   1000, 2000, 3000,
                              4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};

}  // namespace

AutoEqPreview::AutoEqPreview(QWidget* parent) : QWidget(parent) {
    setMinimumSize(420, 220);
}

void AutoEqPreview::Show(Curves curves) {
    curves_ = std::move(curves);
    update();
}

void AutoEqPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setFont(SmallFont());
    const QRect plot = rect().adjusted(kPlotLeft, kPlotTop, -10, -24);
    if (plot.width() < 20 || plot.height() < 20) return;
    const int w = plot.width(), h = plot.height();
    auto x = [&](double hz) { return plot.left() + FrequencyToX(hz, w); };
    auto y = [&](double db) { return plot.top() + LevelToY(std::clamp(db, -60.0, 60.0), h); };
    const auto& grid = ResponseGrid();

    // The fit range, then the grid and the frame.
    if (curves_.span.Count() > 0) {
        const double x0 = x(grid[curves_.span.first]), x1 = x(grid[curves_.span.last]);
        p.fillRect(QRectF(x0, plot.top(), x1 - x0, h), kRangeShade);
    }
    for (double hz : kGridHz) p.fillRect(QRectF(std::floor(x(hz)), plot.top(), 1, h), kGridColour);
    for (int b = 1; b < 12; ++b)
        p.fillRect(QRectF(plot.left(), std::floor(plot.top() + h / 12.0 * b), w, 1), kGridColour);
    p.setPen(kPlotFrame);
    p.drawRect(plot.adjusted(0, 0, -1, -1));

    p.setPen(kAxisColour);
    for (int db = 12; db >= -24; db -= 6)
        p.drawText(QRectF(2, y(db) - 7, kPlotLeft - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                   db > 0 ? QStringLiteral("+%1").arg(db) : QString::number(db));
    struct Label {
        double hz;
        const char* text;
    };
    static constexpr Label kLabels[] = {{20, "20"},     {50, "50"},    {100, "100"}, {200, "200"},
                                        {500, "500"},   {1000, "1K"},  {2000, "2K"}, {5000, "5K"},
                                        {10000, "10K"}, {20000, "20K"}};
    for (const Label& l : kLabels)
        p.drawText(QRectF(x(l.hz) - 20, plot.bottom() + 3, 40, 16), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromLatin1(l.text));
    p.drawText(QRectF(plot.right() - 60, plot.bottom() + 3, 60, 16), Qt::AlignRight | Qt::AlignTop,
               QStringLiteral("Hz"));

    p.setClipRect(plot);
    p.setRenderHint(QPainter::Antialiasing, true);
    auto curve = [&](const GridLevels& levels, const QColor& colour, qreal width, double shift,
                     Qt::PenStyle style = Qt::SolidLine) {
        QPainterPath path;
        for (int k = 0; k < kGridPoints; ++k) {
            const QPointF pt(x(grid[k]), y(levels[k] + shift));
            if (k == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.strokePath(path, QPen(colour, width, style, Qt::FlatCap, Qt::RoundJoin));
    };
    // The measurement and the target on the target's level over the range, at 0 dB.
    const double level =
        curves_.target && curves_.span.Count() > 0 ? -MeanOver(*curves_.target, curves_.span) : 0;
    if (curves_.measured) curve(*curves_.measured, kMeasuredColour, 1.2, level);
    if (curves_.target) curve(*curves_.target, kTargetColour, 1.5, level, Qt::DashLine);
    curve(curves_.now, kNowColour, 1.5, 0);
    if (curves_.fitted) {
        curve(*curves_.fitted, kFittedColour, 2, 0);
        if (curves_.measured && curves_.target && curves_.span.Count() > 0) {
            GridLevels result{};
            for (int k = 0; k < kGridPoints; ++k) result[k] = (*curves_.measured)[k] + (*curves_.fitted)[k];
            curve(result, kResultColour, 1.5, -MeanOver(result, curves_.span));
        }
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The legend, top right inside the plot.
    struct Entry {
        QColor colour;
        QString text;
        bool shown;
    };
    const Entry entries[] = {
        {kMeasuredColour, Bilingual("测量", "Measured"), bool(curves_.measured)},
        {kTargetColour, Bilingual("目标", "Target"), bool(curves_.target)},
        {kNowColour, Bilingual("当前 EQ", "EQ now"), true},
        {kFittedColour, Bilingual("拟合 EQ", "Fitted EQ"), bool(curves_.fitted)},
        {kResultColour, Bilingual("预测结果", "Predicted result"), curves_.fitted && curves_.measured},
    };
    const QFontMetrics fm(p.font());
    int widest = 0;
    for (const Entry& e : entries)
        if (e.shown) widest = std::max(widest, fm.horizontalAdvance(e.text));
    int row = 0;
    for (const Entry& e : entries) {
        if (!e.shown) continue;
        const int ty = plot.top() + 6 + row * (fm.height() + 2);
        const int tx = plot.right() - 8 - widest;
        p.fillRect(QRect(tx - 30, ty, widest + 34, fm.height() + 2), QColor(0, 0, 0, 170));
        p.fillRect(QRect(tx - 24, ty + fm.height() / 2 - 1, 18, 3), e.colour);
        p.setPen(Qt::white);
        p.drawText(QPoint(tx, ty + fm.ascent()), e.text);
        ++row;
    }
}

}  // namespace pavo
