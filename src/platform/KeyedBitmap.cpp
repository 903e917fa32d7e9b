#include "platform/KeyedBitmap.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Resources.h"

namespace pavo {

namespace {

// Rendering an SVG at a fractional scale can move a flat colour by a step or two; such pixels still
// count as key colour.
constexpr int kKeyTolerance = 2;

bool Near(int a, int b) {
    return std::abs(a - b) <= kKeyTolerance;
}

}  // namespace

QImage LoadKeyedBitmapImage(int id, qreal dpr, uint32_t keyColour, int keyX, int keyY) {
    return KeyOut(LoadBitmapImage(id, dpr), dpr, keyColour, keyX, keyY);
}

QImage KeyOut(const QImage& image, qreal dpr, uint32_t keyColour, int keyX, int keyY) {
    if (image.isNull()) return image;
    QImage img = image.convertToFormat(QImage::Format_ARGB32);
    img.setDevicePixelRatio(image.devicePixelRatio());

    QRgb key;
    if (keyColour == kKeyFromPixel) {
        const int x = std::clamp(static_cast<int>(keyX * dpr), 0, img.width() - 1);
        const int y = std::clamp(static_cast<int>(keyY * dpr), 0, img.height() - 1);
        key = img.pixel(x, y);
    } else {
        key = qRgb(keyColour & 0xFF, (keyColour >> 8) & 0xFF, (keyColour >> 16) & 0xFF);
    }
    // A key pixel that is itself transparent keys nothing beyond what already is.
    if (qAlpha(key) == 0) return img;

    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = line[x];
            if (qAlpha(p) == 255 && Near(qRed(p), qRed(key)) && Near(qGreen(p), qGreen(key)) &&
                Near(qBlue(p), qBlue(key)))
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return img;
}

QImage ApplyMask(const QImage& image, const QImage& mask) {
    if (image.isNull() || mask.size() != image.size()) return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    out.setDevicePixelRatio(image.devicePixelRatio());
    const QImage m = mask.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const auto* ml = reinterpret_cast<const QRgb*>(m.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (qAlpha(ml[x]) == 0) line[x] = qRgba(0, 0, 0, 0);
    }
    return out;
}

}  // namespace pavo
