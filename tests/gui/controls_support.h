#pragma once
// Helpers for the control tests: a parent window that records what its controls tell it, and pixel
// reading from grabbed widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QWheelEvent>
#include <QWidget>
#include <vector>

#include "platform/WinMessage.h"

namespace pavo::test {

struct Message {
    unsigned message;
    WParam wParam;
    LParam lParam;
    bool operator==(const Message&) const = default;
};

// A page stand-in: records every message it receives, in order.
struct RecordingParent : QWidget, MessageTarget {
    std::vector<Message> seen;
    std::function<void(const Message&)> onMessage;
    LResult WindowProc(unsigned m, WParam w, LParam l) override {
        seen.push_back({m, w, l});
        if (onMessage) onMessage(seen.back());
        return MessageTarget::WindowProc(m, w, l);
    }
    std::vector<Message> Take() {
        DeliverPostedMessages();
        return std::exchange(seen, {});
    }
};

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Delivers pending updates so that repaints happen now.
inline void FlushPaints() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

inline QImage Grab(QWidget* w, qreal dpr = 1.0) {
    QImage img(QSize(qRound(w->width() * dpr), qRound(w->height() * dpr)), QImage::Format_ARGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return img;
}

// The folder the gallery's pictures go to ($PAVO_GALLERY_DIR, else build/gallery), created when missing.
inline QString GalleryDir() {
    const QString chosen = qEnvironmentVariable("PAVO_GALLERY_DIR");
    const QString dir = chosen.isEmpty() ? QStringLiteral(PAVO_BINARY_DIR "/gallery") : chosen;
    QDir().mkpath(dir);
    return dir;
}

// Paints what is pending and saves the widget into the gallery as <name>.png and <name>@2x.png.
inline void SaveBothScales(QWidget* w, const QString& name) {
    FlushPaints();
    const QString base = GalleryDir() + "/" + name;
    EXPECT_TRUE(Grab(w, 1.0).save(base + ".png")) << base.toStdString();
    EXPECT_TRUE(Grab(w, 2.0).save(base + "@2x.png")) << base.toStdString();
}

// True when some pixel of `img` inside `area` (whole image when empty) has exactly that colour.
inline bool HasColour(const QImage& img, QRgb rgb, QRect area = {}) {
    if (area.isEmpty()) area = img.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF) && qAlpha(img.pixel(x, y)) == 255)
                return true;
    return false;
}

// One wheel message of `delta` at the middle of the widget.
inline void Wheel(QWidget* w, int delta) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

}  // namespace pavo::test
