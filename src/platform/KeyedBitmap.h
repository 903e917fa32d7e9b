#pragma once
// Bitmaps with a key colour: the pixels of the key colour become transparent, so the bitmap is drawn
// with alpha where GDI would have drawn it through a mask (AND the mask, then OR the bitmap).
#include <QImage>
#include <QPixmap>
#include <cstdint>

namespace pavo {

// A key colour of 0xFF000000 means "the colour of the pixel at (key x, key y)".
constexpr uint32_t kKeyFromPixel = 0xFF000000;

// The bitmap `id` rendered for the device pixel ratio, with its key-colour pixels made transparent.
// The key pixel is given in the bitmap's stated (unscaled) pixel coordinates. Null when there is no
// such bitmap.
QImage LoadKeyedBitmapImage(int id, qreal devicePixelRatio, uint32_t keyColour, int keyX, int keyY);

// The same for an image already rendered at `devicePixelRatio`.
QImage KeyOut(const QImage& image, qreal devicePixelRatio, uint32_t keyColour, int keyX, int keyY);

// Makes every pixel of `image` transparent where `mask` (same size) is transparent. Used to draw one
// bitmap through another's mask.
QImage ApplyMask(const QImage& image, const QImage& mask);

}  // namespace pavo
