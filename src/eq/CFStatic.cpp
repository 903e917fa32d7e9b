#include "eq/CFStatic.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

#include "eq/BandInfo.h"
#include "eq/BandSets.h"
#include "eq/CFStaticColours.h"
#include "model/CodeTables.h"
#include "model/Model.h"
#include "platform/Resources.h"
#include "platform/WinMessage.h"

namespace pavo {

namespace {

// Axis and handle captions: a small sans-serif face.
QFont GraphFont() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

QFont OverlayFont() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(48);
    f.setWeight(QFont::Normal);
    return f;
}

const QColor kHighlightColour(68, 86, 98);
const QColor kCurveColour(255, 49, 68);
const QColor kOverlayEdge(94, 104, 116, 32);
const QColor kOverlayFill(155, 155, 155);
const QColor kHandleFrame(255, 0, 0);

constexpr int kWheelNotch = 120;  // angle delta of one wheel notch
// The gain codes at the graph's top (+12 dB) and at its floor for dynamic-EQ bands (-12 dB), as
// for a drag.
constexpr int kGainCodeTop = 180;
constexpr int kGainCodeNarrowFloor = 60;

constexpr std::array<double, CFStatic::kGridLines> kGridFrequencies = {
    10,  20,  30,  40,   50,   60,   70,   80,   90,   100,  200,  300,  400,   500,   600,
    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000, 30000};

// The plot's own scale for a grid line or a label (pixels from the control's left edge).
int XOfFrequency(double hz, int plotWidth) {
    return TruncPixel(FrequencyToX(hz, plotWidth)) + kPlotLeft;
}

QRect ToQRect(const PlotRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// A 1-pixel frame inside a rectangle, drawn with fills so that it stays on whole pixels at any
// pixel ratio.
void FrameRect(QPainter& p, const QRect& r, const QColor& c) {
    if (r.isEmpty()) return;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
}

enum LabelAlign { AlignLeftEdge, AlignRightEdge, AlignCentre };

bool IsFilter(const CFilter& f) {
    return f.GetType() == FilterType::HighPass || f.GetType() == FilterType::LowPass;
}

// The EqBypass byte of the block a graph shows. Output channels follow the scene ActiveScene names;
// with the Auto scene (0) and for the dynamic-EQ graphs there is none.
bool BypassByteSet(const Model& m, int graphId) {
    std::lock_guard<std::mutex> guard(m.Lock());
    const ProgramImage& img = m.current;
    switch (graphId) {
        case BlockMusicLeft:
            return img.MusicLeft.EqBypass != 0;
        case BlockMusicRight:
            return img.MusicRight.EqBypass != 0;
        case BlockMic12:
            return img.Mic12.EqBypass != 0;
        case BlockMic34:
            return img.Mic34.EqBypass != 0;
        case BlockEchoA:
            return img.EchoA.EqBypass != 0;
        case BlockEchoB:
            return img.EchoB.EqBypass != 0;
        case BlockReverb:
            return img.Reverb.EqBypass != 0;
        case BlockReverbSpare:
            return img.ReverbSpare.EqBypass != 0;
        default:
            break;
    }
    if (graphId >= BlockOutputFirst && graphId <= BlockOutputLast) {
        const int scene = img.ActiveScene;
        if (scene < 1 || scene > kSceneCount) return false;
        return img.Scenes[scene - 1].Channel[graphId - BlockOutputFirst].EqBypass != 0;
    }
    return false;
}

}  // namespace

CFStatic::CFStatic(BandSets& bands, QWidget* parent) : QWidget(parent), bands_(bands) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

void CFStatic::InitLayout() {
    client_ = {0, 0, width(), height()};
    plot_ = {client_.left + kPlotLeft, client_.top + kPlotTop, client_.right - 10, client_.bottom - 20};
    for (int i = 0; i < kGridLines; ++i) gridX_[i] = XOfFrequency(kGridFrequencies[i], plot_.Width());
    laidOut_ = true;
    axesImage_ = QImage();
    plotImage_ = QImage();
    overlayImage_ = QImage();
    plotFresh_ = false;
    update();
}

void CFStatic::SetPlotRects(int pageIndex) {
    auto give = [this](CKTVEQ* set) {
        if (set) set->SetPlotRect(plot_);
    };
    switch (pageIndex) {
        case 0:
            give(bands_.Of(BlockMusicLeft));
            give(bands_.Of(BlockMusicRight));
            break;
        case 1:
            give(bands_.Of(BlockMusicLeftDyn));
            give(bands_.Of(BlockMusicRightDyn));
            break;
        case 2:
            give(bands_.Of(BlockMic12));
            give(bands_.Of(BlockMic34));
            break;
        case 3:
        case 4:
        case 7:
        case 8:
        case 9:
            for (int scene = 1; scene <= kSceneCount; ++scene)
                for (int c = 0; c < kOutputChannels; ++c) give(bands_.Output(scene, c));
            break;
        case 6:
            for (int block = BlockEchoA; block <= BlockReverbSpare; ++block) give(bands_.Of(block));
            break;
        default:
            break;
    }
}

void CFStatic::ShowBandSet(int graphId) {
    const bool known = (graphId >= BlockMusicLeft && graphId <= BlockOutputLast) ||
                       graphId == BlockMusicLeftDyn || graphId == BlockMusicRightDyn;
    if (known) {
        if (CKTVEQ* set = bands_.Of(graphId)) {
            bandSet_ = set;
            graphId_ = graphId;
        }
    }
    active_ = nullptr;
    drag_.Cancel();
    SelectBand(-1, false);
}

void CFStatic::SelectBand(int index, bool clearActive) {
    selected_ = index;
    if (clearActive) active_ = nullptr;
    if (!laidOut_) return;
    RenderPlot(TargetDpr());
    plotFresh_ = true;
    update(ToQRect(plot_));
}

bool CFStatic::BypassShown() const {
    return BypassByteSet(bands_.model(), graphId_);
}

qreal CFStatic::TargetDpr() const {
    return devicePixelRatioF();
}

CFilter* CFStatic::Highlighted() const {
    if (!bandSet_) return nullptr;
    if (selected_ >= 0) return bandSet_->GetAt(selected_);
    return active_;
}

const QStaticText& CFStatic::StaticText(const QString& text) {
    auto it = texts_.find(text);
    if (it == texts_.end()) {
        QStaticText st(text);
        st.setTextFormat(Qt::PlainText);
        st.prepare(QTransform(), GraphFont());
        it = texts_.emplace(text, st).first;
    }
    return it->second;
}

void CFStatic::DrawLabel(QPainter& p, const PlotRect& r, const QStaticText& text, int align) {
    const QSizeF size = text.size();
    int x = r.left + static_cast<int>(std::lround((r.Width() - size.width()) / 2));
    if (align == AlignLeftEdge) x = r.left;
    if (align == AlignRightEdge) x = r.right - static_cast<int>(std::ceil(size.width()));
    const int y = r.top + static_cast<int>(std::lround((r.Height() - size.height()) / 2));
    p.drawStaticText(x, y, text);
}

// The axes pass: the frame of the whole control and the level and frequency captions.
void CFStatic::RenderAxes(qreal dpr) {
    const QSize size(client_.Width(), client_.Height());
    axesImage_ = QImage();
    if (size.isEmpty()) return;
    axesImage_ = QImage(QSize(qCeil(size.width() * dpr), qCeil(size.height() * dpr)),
                        QImage::Format_ARGB32_Premultiplied);
    axesImage_.setDevicePixelRatio(dpr);
    QPainter p(&axesImage_);
    const QRect client = ToQRect(client_);
    p.fillRect(client, Qt::black);
    FrameRect(p, client, kAxisColour);

    p.setFont(GraphFont());
    p.setPen(kAxisColour);
    auto text = [&p](int x, int y, const char* s) {
        p.drawText(QRect(x, y, 200, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromLatin1(s));
    };
    const int q = plot_.Height() / 12;
    const int h = plot_.Height();
    text(6, client_.top + 5, "+12");
    text(6, 2 * q + 3, "+6");
    text(6, 4 * q + 3, "0");
    text(6, 6 * q + 5, "-6dB");
    text(6, 8 * q + 9, "-12");
    text(6, 10 * q + 9, "-18");
    text(6, h, "-24");

    struct FrequencyLabel {
        double hz;
        int shift;
        const char* text;
    };
    static constexpr FrequencyLabel kLabels[] = {{20, 8, "20"},      {50, 8, "50"},     {100, 10, "100"},
                                                 {200, 10, "200"},   {500, 10, "500"},  {1000, 8, "1K"},
                                                 {2000, 8, "2K"},    {5000, 8, "5K"},   {10000, 10, "10K"},
                                                 {20000, 15, "20K"}, {30000, 15, "30K"}};
    const int y = plot_.bottom;
    text(30, y, "10");
    for (const FrequencyLabel& l : kLabels) text(XOfFrequency(l.hz, plot_.Width()) - l.shift, y, l.text);
}

// The plot pass: background and frame, the highlighted band's response, the grid, the summed curve,
// the bypass overlay, the handle labels and the highlighted handle with its description.
void CFStatic::RenderPlot(qreal dpr) {
    bands_.Refresh();  // records replaced since the last look are drawn as they are now
    const QRect plot = ToQRect(plot_);
    if (plot.isEmpty()) {
        plotImage_ = QImage();
        return;
    }
    const QSize pixels(qCeil(plot.width() * dpr), qCeil(plot.height() * dpr));
    if (plotImage_.size() != pixels || plotImage_.devicePixelRatio() != dpr) {
        plotImage_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        plotImage_.setDevicePixelRatio(dpr);
    }
    QPainter p(&plotImage_);
    p.translate(-plot.left(), -plot.top());  // draw in the control's client coordinates

    // 1. Background and frame (the frame covers the whole image, so no separate erase is needed).
    p.fillRect(plot, Qt::black);
    FrameRect(p, plot, kPlotFrame);

    // 2. The highlighted band's response, closed to the 0 dB line.
    CFilter* highlighted = Highlighted();
    if (highlighted) {
        const auto& outline = highlighted->Outline();
        std::array<QPoint, kOutlinePoints> points;
        for (int i = 0; i < kOutlinePoints; ++i) points[i] = QPoint(outline[i].x, outline[i].y);
        p.setPen(QPen(kHighlightColour, 1));
        p.setBrush(kHighlightColour);
        p.drawPolygon(points.data(), kOutlinePoints);
    }

    // 3. Grid: 20 Hz .. 20 kHz, and one line every 3 dB.
    for (int i = 1; i <= 28; ++i) p.fillRect(QRect(gridX_[i], plot.top(), 1, plot.height()), kGridColour);
    for (int b = 1; b <= 12; ++b) {
        const int y = plot.top() + static_cast<int>(plot.height() / 12.0 * b);
        p.fillRect(QRect(plot.left(), y, plot.width(), 1), kGridColour);
    }

    // 4. The summed curve.
    if (bandSet_) {
        bandSet_->SumResponse();
        const auto& curve = bandSet_->SumCurve();
        std::array<QPointF, kGridPoints> points;
        for (int k = 0; k < kGridPoints; ++k) {
            // Levels far outside the plot are held off-screen; clipping gives the same picture.
            float y = curve[k].y;
            y = std::isfinite(y) ? std::clamp(y, -30000.0f, 30000.0f) : 30000.0f;
            points[k] = QPointF(curve[k].x, y);
        }
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kCurveColour, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(points.data(), kGridPoints);
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    // 5. The bypass overlay.
    if (BypassShown()) DrawOverlay(p, dpr);

    // 6. Handle labels, last member first so that lower numbers end up on top.
    if (bandSet_) {
        p.setPen(Qt::white);
        p.setFont(GraphFont());
        for (int i = bandSet_->GetSize() - 1; i >= 0; --i) {
            const CFilter& m = (*bandSet_)[i];
            const FilterType type = m.GetType();
            const QString label = type == FilterType::HighPass  ? QStringLiteral("H")
                                  : type == FilterType::LowPass ? QStringLiteral("L")
                                                                : QString::number(i + 1);
            int align = AlignCentre;
            if (m.HandleRect().right == plot_.right)
                align = AlignLeftEdge;
            else if (m.GetFrequencyCode() <= 20)
                align = AlignRightEdge;
            DrawLabel(p, m.HandleRect(), StaticText(label), align);
        }
    }

    // 7. The highlighted handle, framed in red, with its description.
    if (highlighted) {
        const QRect handle = ToQRect(highlighted->HandleRect());
        p.fillRect(handle, kHighlightColour);
        FrameRect(p, handle, kHandleFrame);
        p.setPen(Qt::white);
        DrawLabel(p, highlighted->HandleRect(), StaticText(QString::fromStdString(highlighted->GetLabel())),
                  AlignCentre);
        const QString info = QString::fromStdString(BandInfoText(*highlighted));
        p.drawText(ToQRect(highlighted->TextRect()), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                   info);
    }
}

// "EQ BYPASS" as an outline: stroked seven times with widening translucent round-joined pens, then
// filled. The layer is composited once over transparency; drawing it over the curve gives the same
// pixels as stroking there, since painting over is associative.
void CFStatic::DrawOverlay(QPainter& p, qreal dpr) {
    const QSize plotSize(plot_.Width(), plot_.Height());
    if (overlayImage_.isNull() || overlayPlot_ != plotSize || overlayDpr_ != dpr) {
        const QFont font = OverlayFont();
        const QString text = QStringLiteral("EQ BYPASS");
        const QFontMetricsF fm(font);
        // Anchored at (plot width / 2, plot height / 3) in control coordinates, centred on it
        // horizontally, its top at the anchor.
        const QPointF anchor(plot_.Width() / 2, plot_.Height() / 3);
        QPainterPath path;
        path.addText(QPointF(anchor.x() - fm.horizontalAdvance(text) / 2, anchor.y() + fm.ascent()), font,
                     text);
        const QRectF bounds = path.boundingRect().adjusted(-5, -5, 5, 5);
        overlayOrigin_ =
            QPoint(static_cast<int>(std::floor(bounds.left())), static_cast<int>(std::floor(bounds.top())));
        const QSize size(static_cast<int>(std::ceil(bounds.right())) - overlayOrigin_.x(),
                         static_cast<int>(std::ceil(bounds.bottom())) - overlayOrigin_.y());
        overlayImage_ = QImage(QSize(qCeil(size.width() * dpr), qCeil(size.height() * dpr)),
                               QImage::Format_ARGB32_Premultiplied);
        overlayImage_.setDevicePixelRatio(dpr);
        overlayImage_.fill(Qt::transparent);
        QPainter q(&overlayImage_);
        q.setRenderHint(QPainter::Antialiasing, true);
        q.translate(-overlayOrigin_);
        for (int width = 1; width <= 7; ++width)
            q.strokePath(path, QPen(kOverlayEdge, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        q.fillPath(path, kOverlayFill);
        overlayPlot_ = plotSize;
        overlayDpr_ = dpr;
    }
    p.drawImage(overlayOrigin_, overlayImage_);
}

void CFStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!laidOut_) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    // The device may be a grab at another pixel ratio than the screen's.
    const qreal dpr = PaintPixelRatio(p);
    if (axesImage_.isNull() || axesImage_.devicePixelRatio() != dpr) RenderAxes(dpr);
    if (!plotFresh_ || plotImage_.devicePixelRatio() != dpr) RenderPlot(dpr);
    plotFresh_ = false;
    p.drawImage(QPoint(client_.left, client_.top), axesImage_);
    p.drawImage(QPoint(plot_.left, plot_.top), plotImage_);
}

// ---- Mouse ----

namespace {
PlotPoint PointOf(const QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    return {p.x(), p.y()};
}
}  // namespace

// The output EQ of the Auto scene cannot be edited with the mouse.
bool CFStatic::MouseLocked() const {
    if (graphId_ < BlockOutputFirst || graphId_ > BlockOutputLast) return false;
    const Model& m = bands_.model();
    return m.Edit([&] { return m.current.ActiveScene == 0; });
}

void CFStatic::PostChanged() {
    PostChanged(indexUnderMouse_);
}

void CFStatic::PostChanged(int index) {
    PostMessage(notify_, WM_EQCURVE_CHANGED, static_cast<WParam>(graphId_), index);
}

int CFStatic::MemberAt(PlotPoint pt) const {
    if (!bandSet_) return -1;
    for (int i = 0; i < bandSet_->GetSize(); ++i)
        if ((*bandSet_)[i].HandleRect().Contains(pt)) return i;
    return -1;
}

CFilter* CFStatic::EqBandAt(int index) const {
    if (!bandSet_ || index < 0 || index >= bandSet_->GetSize()) return nullptr;
    CFilter& m = (*bandSet_)[index];
    return !IsFilter(m) && m.Band() ? &m : nullptr;
}

// The member under the mouse becomes the active, highlighted band, as when the mouse finds it.
void CFStatic::MakeActive(int index) {
    active_ = &(*bandSet_)[index];
    indexUnderMouse_ = index;
    hovering_ = true;
}

namespace {
std::optional<DragButton> DragButtonOf(Qt::MouseButton b) {
    if (b == Qt::LeftButton) return DragButton::Left;
    if (b == Qt::RightButton) return DragButton::Right;
    return std::nullopt;
}
Qt::MouseButton QtButtonOf(DragButton b) {
    return b == DragButton::Left ? Qt::LeftButton : Qt::RightButton;
}
}  // namespace

// Every press and release goes through here and GraphDrag, by button: a left press on a handle moves
// it, a right press on a band's handle changes its Q; a right press elsewhere holds nothing.
void CFStatic::mousePressEvent(QMouseEvent* e) {
    const std::optional<DragButton> button = DragButtonOf(e->button());
    if (!button) {
        e->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const PlotPoint pt = PointOf(e);
    CFilter* under = hovering_ && active_ && !MouseLocked() ? active_ : nullptr;
    drag_.Press(*button, under, pt);
    if (*button == DragButton::Left) {
        changed_ = false;
        // Every left press tells the page, handle or not: it selects the band under the mouse there.
        PostChanged();
    } else if (!drag_.Active()) {
        freeRightPress_ = e->position().toPoint();
    }
    e->accept();
}

// A right click that took nothing on the graph (no band's Q) is left to the window, which opens its
// context menu on the release; a right drag is the graph's, menu or not.
void CFStatic::mouseReleaseEvent(QMouseEvent* e) {
    const std::optional<DragButton> button = DragButtonOf(e->button());
    if (button && drag_.Release(*button)) hovering_ = false;
    if (button == DragButton::Right && freeRightPress_) {
        const QPoint travel = e->position().toPoint() - *freeRightPress_;
        freeRightPress_.reset();
        if (travel.manhattanLength() <= QApplication::startDragDistance()) {
            UpdateCursor();
            e->ignore();
            return;
        }
    }
    UpdateCursor();
    e->accept();
}

void CFStatic::mouseMoveEvent(QMouseEvent* e) {
    const PlotPoint pt = PointOf(e);
    if (drag_.Active()) {
        // A move without the drag's button (its release went elsewhere) ends the drag, no edit.
        const bool held = (e->buttons() & QtButtonOf(drag_.Button())) && !MouseLocked();
        CFilter* a = drag_.Member();
        if (drag_.Move(pt, held)) {
            Redraw();
            changed_ = true;
        }
        hovering_ = a->IsFilterType() || a->HandleRect().Contains(pt);
    } else if (bandSet_ && !MouseLocked()) {
        CFilter* a = active_;
        if (a && a->HandleRect().Contains(pt)) {
            hovering_ = true;
        } else if (a && IsFilter(*a)) {
            active_ = nullptr;
            hovering_ = false;
        } else {
            // Hit testing in index order: the lowest index wins where handles overlap.
            const int i = MemberAt(pt);
            if (i >= 0) {
                MakeActive(i);
                Redraw();
            }
            hovering_ = i >= 0;
        }
    }
    if (notify_ && changed_) {
        changed_ = false;
        PostChanged();
    }
    UpdateCursor();
    e->accept();
}

// A double-click on a band's handle switches the band off (bypass) and on again (its type before).
// Anywhere else it is a press like any other.
void CFStatic::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int index = MouseLocked() ? -1 : MemberAt(PointOf(e));
    if (CFilter* band = EqBandAt(index)) {
        ToggleBypass(*band);
        MakeActive(index);
        Redraw();
    }
    changed_ = false;
    PostChanged();
    UpdateCursor();
    e->accept();
}

void CFStatic::ToggleBypass(CFilter& band) {
    if (band.GetType() != FilterType::Bypass) {
        typeBeforeBypass_[&band] = band.GetType();
        band.SetType(FilterType::Bypass);
        return;
    }
    // A band bypassed some other way (a strip, a loaded program) comes back as a peak.
    FilterType before = FilterType::Peak;
    if (auto it = typeBeforeBypass_.find(&band); it != typeBeforeBypass_.end()) {
        before = it->second;
        typeBeforeBypass_.erase(it);
    }
    band.SetType(before);
}

// The wheel over a band's handle changes its Q, one code per notch; elsewhere it is not the graph's.
void CFStatic::wheelEvent(QWheelEvent* e) {
    const QPoint p = e->position().toPoint();
    const int index = MouseLocked() ? -1 : MemberAt({p.x(), p.y()});
    CFilter* band = EqBandAt(index);
    if (!band) {
        wheelRest_ = 0;
        e->ignore();
        return;
    }
    e->accept();
    if (drag_.Active()) return;  // the drag has the band
    if (band != wheelBand_) {
        wheelBand_ = band;
        wheelRest_ = 0;
    }
    wheelRest_ += e->angleDelta().y();
    const int notches = wheelRest_ / kWheelNotch;
    wheelRest_ -= notches * kWheelNotch;
    if (notches == 0) return;
    auto qCode = [this, band] { return bands_.model().Edit([band] { return int{band->Band()->QCode}; }); };
    const int before = qCode();
    band->SetQCode(std::clamp(before + notches, 0, kQCodeMax));
    MakeActive(index);
    Redraw();
    if (qCode() != before) PostChanged();
    UpdateCursor();
}

// Arrow keys move the highlighted band (see ArrowKey).
void CFStatic::keyPressEvent(QKeyEvent* e) {
    const CFilter* member = bandSet_ ? Highlighted() : nullptr;
    int index = 0;
    while (member && index < bandSet_->GetSize() && &(*bandSet_)[index] != member) ++index;
    if (member && ArrowKey(index, e->key(), e->modifiers() & Qt::ShiftModifier)) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool CFStatic::ArrowKey(int index, int key, bool tenSteps) {
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (!arrow || !bandSet_ || index < 0 || index >= bandSet_->GetSize() || MouseLocked()) return false;
    if (drag_.Active()) return true;  // the mouse has the band
    if (!StepBand((*bandSet_)[index], key, tenSteps ? 10 : 1)) return true;
    SelectBand(index, false);
    PostChanged(index);
    return true;
}

bool CFStatic::StepBand(CFilter& m, int key, int step) {
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const int before = m.GetFrequencyCode();
        const int code = std::clamp(before + (key == Qt::Key_Right ? step : -step), 0, kFrequencyCodes - 1);
        if (code == before) return false;
        if (IsFilter(m))
            m.SetFilterFrequencyCode(code);
        else
            m.SetFrequencyCode(code);
        return true;
    }
    if (IsFilter(m) || !m.Band()) return false;  // a filter has no gain of its own
    const int before = m.GetGainCode();
    const int floor = m.NarrowGainRange() ? kGainCodeNarrowFloor : 0;
    // Within the graph's range, as a drag; a gain beyond it (from a file) stays until moved inward.
    const int code = key == Qt::Key_Up ? std::max(before, std::min(before + step, kGainCodeTop))
                                       : std::min(before, std::max(before - step, floor));
    if (code == before) return false;
    m.SetGainCode(code);
    return true;
}

void CFStatic::UpdateCursor() {
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (hovering_ && active_) shape = IsFilter(*active_) ? Qt::SizeHorCursor : Qt::SizeAllCursor;
    if (cursor().shape() != shape) setCursor(shape);
}

}  // namespace pavo
