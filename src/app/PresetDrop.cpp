#include "app/PresetDrop.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "app/LibraryLoad.h"
#include "app/PavoDlg.h"
#include "library/PresetSummary.h"

namespace pavo {

PresetDrop::PresetDrop(PavoDlg& main) : main_(main) {
    main_.setAcceptDrops(true);
    qApp->installEventFilter(this);
}

PresetDrop::~PresetDrop() {
    qApp->removeEventFilter(this);
}

QString PresetDrop::PresetFileOf(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString path = urls.front().toLocalFile();
    if (!PresetKindOf(QFileInfo(path).fileName().toStdString()) || !QFileInfo(path).isFile()) return {};
    return path;
}

bool PresetDrop::InMainWindow(QObject* watched) const {
    auto* w = qobject_cast<QWidget*>(watched);
    return w && w->window() == &main_;
}

bool PresetDrop::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(e);
            if (!InMainWindow(watched) || PresetFileOf(drag->mimeData()).isEmpty()) break;
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(e);
            if (!InMainWindow(watched)) break;
            const QString path = PresetFileOf(drop->mimeData());
            if (path.isEmpty()) break;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // After the drag has ended: the import may show a message box.
            QTimer::singleShot(0, &main_, [main = QPointer<PavoDlg>(&main_), path] {
                if (main) LoadPresetFile(*main, path);
            });
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, e);
}

}  // namespace pavo
