#include "platform/Resources.h"

#include <QFile>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgRenderer>

// The artwork is compiled into this static library; referencing it here keeps the linker from
// dropping it.
static void InitArtwork() {
    Q_INIT_RESOURCE(artwork);
}

namespace pavo {

namespace {

void EnsureArtwork() {
    static const bool done = (InitArtwork(), true);
    (void)done;
}

QString BitmapPath(int id) {
    return QStringLiteral(":/bitmaps/%1.svg").arg(id);
}

QSvgRenderer* Renderer(int id) {
    EnsureArtwork();
    // Lives for the whole run and is never destroyed, so the renderers it holds stay reachable.
    static auto& cache = *new QHash<int, QSvgRenderer*>;
    auto it = cache.find(id);
    if (it != cache.end()) return it.value();
    QSvgRenderer* r = nullptr;
    if (QFile::exists(BitmapPath(id))) {
        r = new QSvgRenderer(BitmapPath(id));
        if (!r->isValid()) {
            delete r;
            r = nullptr;
        }
    }
    cache.insert(id, r);
    return r;
}

}  // namespace

QSize BitmapSize(int id) {
    QSvgRenderer* r = Renderer(id);
    return r ? r->defaultSize() : QSize();
}

bool HasBitmap(int id) {
    return Renderer(id) != nullptr;
}

QImage LoadBitmapImage(int id, qreal dpr) {
    QSvgRenderer* r = Renderer(id);
    if (!r) return {};
    const QSize size = r->defaultSize();
    QImage img(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        r->render(&p, QRectF(QPointF(0, 0), QSizeF(img.size())));
    }
    img.setDevicePixelRatio(dpr);
    return img;
}

qreal PaintPixelRatio(const QPainter& p) {
    // While a widget is rendered into an image, the painter's device is the widget; the engine's is
    // the image.
    if (const QPaintEngine* engine = p.paintEngine(); engine && engine->paintDevice())
        return engine->paintDevice()->devicePixelRatioF();
    return p.device() ? p.device()->devicePixelRatioF() : 1.0;
}

QPixmap LoadBitmap(int id, qreal dpr) {
    static QHash<QPair<int, qreal>, QPixmap> cache;
    const auto key = qMakePair(id, dpr);
    auto it = cache.find(key);
    if (it != cache.end()) return it.value();
    QPixmap pm = QPixmap::fromImage(LoadBitmapImage(id, dpr));
    if (!pm.isNull()) pm.setDevicePixelRatio(dpr);
    cache.insert(key, pm);
    return pm;
}

QString LoadString(int id) {
    switch (id) {
        case 4010:
            return QString::fromUtf8("Strix Processor 1.02");
        case 4011:
            return QString::fromUtf8("Corvo Audio Processor SV-1.02");
        default:
            return {};
    }
}

QIcon AppIcon() {
    EnsureArtwork();
    QIcon icon;
    for (const char* path : {":/icons/pavo.svg", ":/icons/128.svg"})
        if (QFile::exists(path)) {
            icon = QIcon(path);
            break;
        }
    return icon;
}

}  // namespace pavo
