#include "app/LibraryScanner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>

namespace pavo {

namespace {

qint64 NowMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// The bytes an import reads of the file, or fewer when the file is shorter (or unreadable: empty).
QByteArray ReadPrefix(const QString& path, PresetKind kind, bool* ok) {
    QFile f(path);
    *ok = f.open(QIODevice::ReadOnly);
    if (!*ok) return {};
    QByteArray bytes = f.read(static_cast<qint64>(PresetFileSize(kind)));
    *ok = f.error() == QFileDevice::NoError;
    return bytes;
}


// By name, letters without case first, so that "b.dia" follows "A.dia"; the same order for every scan.
bool NameBefore(const ScannedFile& a, const ScannedFile& b) {
    const int c = a.name.compare(b.name, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.name < b.name;
}

}  // namespace

LibraryScanner::LibraryScanner(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
    pool_.setExpiryTimeout(-1);
}

LibraryScanner::~LibraryScanner() {
    scan_.fetch_add(1);  // a running scan stops
    pool_.clear();
    pool_.waitForDone();
    // What the worker posted and the UI thread has not run goes with this object.
}

void LibraryScanner::Deliver(std::function<void()> toUiThread) {
    ++pending_;
    QMetaObject::invokeMethod(
        this,
        [this, fn = std::move(toUiThread)] {
            fn();
            --pending_;
        },
        Qt::QueuedConnection);
}

ScannedFile LibraryScanner::ReadOne(const QString& path) {
    const QFileInfo info(path);
    ScannedFile f;
    f.path = info.absoluteFilePath();
    f.name = info.fileName();
    f.size = info.size();
    f.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    const PresetKind kind = PresetKindOf(f.name.toStdString()).value_or(PresetKind::Program);
    bool ok = false;
    const QByteArray bytes = ReadPrefix(f.path, kind, &ok);
    f.summary = ok ? SummarizePreset(kind, SpanOf(bytes), static_cast<uint64_t>(f.size))
                   : UnreadablePreset(kind, static_cast<uint64_t>(f.size));
    return f;
}

int LibraryScanner::Scan(const QString& folder) {
    const int scan = scan_.fetch_add(1) + 1;
    ++pending_;
    ++jobs_;
    pool_.start([this, scan, folder] {
        ScanJob(scan, folder);
        --jobs_;
        --pending_;
    });
    return scan;
}

void LibraryScanner::ScanJob(int scan, QString folder) {
    const QDir dir(folder);
    std::vector<ScannedFile> listed;
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.dia"), QStringLiteral("*.dat")},
                                                   QDir::Files | QDir::Readable, QDir::NoSort)) {
        if (!PresetKindOf(info.fileName().toStdString())) continue;
        ScannedFile f;
        f.path = info.absoluteFilePath();
        f.name = info.fileName();
        f.size = info.size();
        f.modifiedMs = info.lastModified().toMSecsSinceEpoch();
        listed.push_back(std::move(f));
    }
    std::sort(listed.begin(), listed.end(), NameBefore);

    std::vector<ScannedFile> batch;
    qint64 lastDelivery = NowMs();
    auto deliver = [&](bool last) {
        Deliver([this, scan, files = std::move(batch), last]() mutable {
            if (onScanned) onScanned(scan, std::move(files), last);
        });
        batch = {};
        lastDelivery = NowMs();
    };
    for (ScannedFile& f : listed) {
        if (scan_.load() != scan) return;  // a newer scan replaces this one
        const PresetKind kind = *PresetKindOf(f.name.toStdString());
        bool ok = false;
        const QByteArray bytes = ReadPrefix(f.path, kind, &ok);
        f.summary = ok ? SummarizePreset(kind, SpanOf(bytes), static_cast<uint64_t>(f.size))
                       : UnreadablePreset(kind, static_cast<uint64_t>(f.size));
        batch.push_back(std::move(f));
        if (NowMs() - lastDelivery >= kBatchMs) deliver(false);
    }
    deliver(true);
}

void LibraryScanner::RequestCurves(const CurvesKey& key, PresetKind kind) {
    ++pending_;
    ++jobs_;
    pool_.start([this, key, kind] {
        CurvesJob({key, {}}, kind, nullptr);
        --jobs_;
        --pending_;
    });
}

void LibraryScanner::RequestCurves(const CurvesKey& key, const ProgramImage& image) {
    ++pending_;
    ++jobs_;
    auto copy = std::make_shared<const ProgramImage>(image);
    pool_.start([this, key, copy] {
        CurvesJob({key, {}}, PresetKind::Program, copy);
        --jobs_;
        --pending_;
    });
}

void LibraryScanner::CurvesJob(FileCurves result, PresetKind kind,
                               std::shared_ptr<const ProgramImage> image) {
    if (image) {
        result.programs.push_back(ThumbnailCurvesOf(*image));
    } else {
        bool ok = false;
        const QByteArray bytes = ReadPrefix(result.key.path, kind, &ok);
        if (ok && kind == PresetKind::Program) {
            if (const auto file = ProgramFileOf(SpanOf(bytes)))
                result.programs.push_back(ThumbnailCurvesOf(file->image));
        } else if (ok) {
            if (const auto bank = BankFileOf(SpanOf(bytes)))
                for (const ProgramImage& p : bank->Programs) result.programs.push_back(ThumbnailCurvesOf(p));
        }
    }
    {
        std::lock_guard<std::mutex> g(mutex_);
        readyCurves_.push_back(std::move(result));
    }
    // The last job in the queue delivers what is left; the others only when a batch is due.
    FlushCurves(jobs_.load() <= 1);
}

void LibraryScanner::FlushCurves(bool force) {
    std::vector<FileCurves> ready;
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (readyCurves_.empty()) return;
        if (!force && NowMs() - lastCurvesDelivery_ < kBatchMs) return;
        ready.swap(readyCurves_);
        lastCurvesDelivery_ = NowMs();
    }
    Deliver([this, ready = std::move(ready)]() mutable {
        if (onCurves) onCurves(std::move(ready));
    });
}

}  // namespace pavo
