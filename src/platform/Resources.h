#pragma once
// Resources by number: bitmaps (drawn as SVG, rendered at their stated pixel size for the screen's
// device pixel ratio), strings and the icon.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

class QPainter;

namespace pavo {

// The bitmap with that number at its pixel size, for the given device pixel ratio (the pixmap's
// deviceIndependentSize() is the stated size). A null pixmap when there is no such bitmap.
QPixmap LoadBitmap(int id, qreal devicePixelRatio = 1.0);
// The same as an image in ARGB32 (for pixel rules such as key colours).
QImage LoadBitmapImage(int id, qreal devicePixelRatio = 1.0);
// The pixel ratio of what a painter paints on: the screen's for a window, the image's for a grab into
// an image of another ratio. Bitmaps are loaded for it, so that a 2x picture is never a 1x one scaled.
qreal PaintPixelRatio(const QPainter& painter);
// The stated pixel size of a bitmap (its SVG's width and height), or an empty size.
QSize BitmapSize(int id);
bool HasBitmap(int id);

// String resources: 101 the about menu item, 4010 / 4011 the Chinese / English window titles.
QString LoadString(int id);

// Icon resource 128.
QIcon AppIcon();

}  // namespace pavo
