#pragma once
// CFStatic: the frequency response graph every EQ page embeds. It shows one band set on a log
// frequency axis (10 Hz .. 30 kHz) and a level axis (+12 .. -24 dB): the summed curve, the filled
// response of the highlighted band, a numbered handle per band and filter, and the highlighted
// band's one-line description. Left drags move bands and filters, right drags change a band's Q
// (eq/GraphDrag.h: only while the button that began it is held); a right click that takes no band is
// left to the window, whose context menu opens on the release. Each edit writes the band's record through its
// CFilter and is reported to the page with a posted WM_EQCURVE_CHANGED (wParam graph id, lParam index under
// the mouse).
//
// Besides the drags: the wheel over a band's handle changes its Q (one code per notch), a
// double-click on it toggles the band between its type and bypass, and the arrow keys move the
// highlighted band by one frequency code (left, right) or one gain code (up, down), ten with Shift.
// These go through the same setters and the same notification as a drag. A graph that has the
// keyboard focus keeps it through its own notifications, so the arrow keys go on working after the
// page has refreshed its strip.
//
// Drawing: the axes and the plot are each rendered into an off-screen image at the widget's device
// pixel ratio and shown in one copy, so a redraw during a drag never flickers. SelectBand renders the
// plot at once; the paint that follows only copies it.
#include <QImage>
#include <QPointer>
#include <QStaticText>
#include <QWidget>
#include <array>
#include <map>
#include <optional>

#include "eq/BandSets.h"
#include "eq/GraphDrag.h"
#include "eq/KTVEQ.h"
#include "platform/WinMessage.h"

namespace pavo {

class CFStatic : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int kGridLines = 30;

    // Shows sets of `bands` (the unit's), which outlive the graph.
    explicit CFStatic(BandSets& bands, QWidget* parent = nullptr);
    BandSets& Bands() const { return bands_; }

    // The window that receives WM_EQCURVE_CHANGED; set before the control sees the mouse.
    void SetNotifyWindow(QObject* window) { notify_ = window; }
    // Client and plot rectangles and the frequency grid, from the control's current size.
    void InitLayout();
    // Gives the plot rectangle to the band sets the page with that index shows.
    void SetPlotRects(int pageIndex);
    // Shows the band set of a graph id (block number; 8..15 in the edited scene). Other ids keep the
    // set. Clears the active band and the selection.
    void ShowBandSet(int graphId);
    // Selects a band (-1 for none), optionally forgets the band under the mouse, and redraws the plot.
    void SelectBand(int index, bool clearActive);

    // State, for the pages and for tests.
    CKTVEQ* BandSet() const { return bandSet_; }
    int GraphId() const { return graphId_; }
    CFilter* ActiveBand() const { return active_; }
    const GraphDrag& Drag() const { return drag_; }
    int SelectedIndex() const { return selected_; }
    int IndexUnderMouse() const { return indexUnderMouse_; }
    bool Hovering() const { return hovering_; }
    const PlotRect& ClientRect() const { return client_; }
    const PlotRect& PlotRectangle() const { return plot_; }
    const std::array<int, kGridLines>& GridLineX() const { return gridX_; }
    // Whether the plot shows the "EQ BYPASS" overlay for the block on display.
    bool BypassShown() const;
    // The plot as last rendered (plot-sized, at the device pixel ratio it was drawn for).
    const QImage& PlotImage() const { return plotImage_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    qreal TargetDpr() const;
    void RenderAxes(qreal dpr);
    void RenderPlot(qreal dpr);
    CFilter* Highlighted() const;
    void DrawOverlay(QPainter& p, qreal dpr);
    void DrawLabel(QPainter& p, const PlotRect& r, const QStaticText& text, int align);
    const QStaticText& StaticText(const QString& text);
    void Redraw() { SelectBand(-1, false); }
    bool MouseLocked() const;
    void PostChanged();
    void PostChanged(int index);
    void UpdateCursor();
    // The first member (in index order) whose handle holds the point, or -1.
    int MemberAt(PlotPoint pt) const;
    // An EQ band (not a filter) of the set at that index, or null.
    CFilter* EqBandAt(int index) const;
    void MakeActive(int index);
    void ToggleBypass(CFilter& band);
    bool StepBand(CFilter& member, int key, int step);

    BandSets& bands_;
    QPointer<QObject> notify_;
    CKTVEQ* bandSet_ = nullptr;
    CFilter* active_ = nullptr;
    GraphDrag drag_;
    // Where a right press that took nothing went down, until its release.
    std::optional<QPoint> freeRightPress_;
    std::array<int, kGridLines> gridX_{};
    PlotRect client_;
    PlotRect plot_;
    bool hovering_ = false;
    bool changed_ = false;
    int indexUnderMouse_ = 0;
    int selected_ = -1;
    int graphId_ = 0;
    bool laidOut_ = false;
    // Wheel movement short of a whole notch (high-resolution wheels, touchpads), for one band.
    int wheelRest_ = 0;
    const CFilter* wheelBand_ = nullptr;
    // The type a band had before a double-click bypassed it, for the double-click that restores it.
    std::map<const CFilter*, FilterType> typeBeforeBypass_;

    // Off-screen passes. The plot image is fresh when SelectBand drew it after the last paint.
    QImage axesImage_;
    QImage plotImage_;
    bool plotFresh_ = false;
    // The bypass overlay composited once per plot size and pixel ratio (strokes and fill over
    // transparency), drawn over the curve in one step.
    QImage overlayImage_;
    QPoint overlayOrigin_;
    QSize overlayPlot_;
    qreal overlayDpr_ = 0;
    std::map<QString, QStaticText> texts_;
};

}  // namespace pavo
