#pragma once
// The preset library's work off the UI thread: reading a folder's preset files (what the list shows of
// each) and computing the curves of their thumbnails with the core's filter model. Results come back
// to the UI thread in batches, at most one delivery per kBatchMs, so a folder of a thousand files never
// holds the UI thread for long.
//
// One worker thread does it all in order: a scan, then the curves asked for. A new scan makes the
// one still running stop; curves already asked for are still computed (they are keyed by the file's
// size and time, and the library caches them).
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "library/PresetSummary.h"
#include "library/ProgramCurves.h"

namespace pavo {

// The bytes of a file read into memory, for the Qt-free preset readers.
inline std::span<const uint8_t> SpanOf(const QByteArray& bytes) {
    return {reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
}

// A preset file as the folder scan found it.
struct ScannedFile {
    QString path;  // absolute
    QString name;  // the file name
    qint64 size = 0;
    qint64 modifiedMs = 0;  // since the epoch
    PresetSummary summary;
};

// Where thumbnail curves belong: a file as it was (path, size, time) or a program of the unit.
struct CurvesKey {
    QString path;  // empty for a program of the unit
    qint64 size = 0;
    qint64 modifiedMs = 0;
    int unitProgram = 0;       // 1..21 for a program of the unit
    uint64_t unitReading = 0;  // which read of that program
    bool operator==(const CurvesKey&) const = default;
};

// The curves of every program in it: one for a ".dia" or a program of the unit, 21 for a ".dat" (by
// stored program); none when it could not be read.
struct FileCurves {
    CurvesKey key;
    std::vector<ThumbnailCurves> programs;
};

class LibraryScanner : public QObject {
    Q_OBJECT
public:
    static constexpr int kBatchMs = 30;

    explicit LibraryScanner(QObject* parent = nullptr);
    ~LibraryScanner() override;

    // Called on the UI thread: files of a scan, in name order, in batches (`last` on the final one); the
    // scan's number is the one Scan returned.
    std::function<void(int scan, std::vector<ScannedFile> files, bool last)> onScanned;
    std::function<void(std::vector<FileCurves> curves)> onCurves;

    // Lists `folder`'s ".dia" and ".dat" files (any case) and reads each; returns the scan's number.
    int Scan(const QString& folder);
    void RequestCurves(const CurvesKey& key, PresetKind kind);
    void RequestCurves(const CurvesKey& key, const ProgramImage& image);
    // Something asked for is not delivered yet.
    bool Busy() const { return pending_.load() != 0; }

    // The summary of one file read now, on the calling thread.
    static ScannedFile ReadOne(const QString& path);

private:
    void Deliver(std::function<void()> toUiThread);
    void ScanJob(int scan, QString folder);
    void CurvesJob(FileCurves result, PresetKind kind, std::shared_ptr<const ProgramImage> image);
    void FlushCurves(bool force);

    QThreadPool pool_;
    std::atomic<int> scan_{0};
    std::atomic<int> pending_{0};  // jobs queued or running, and deliveries not yet run
    std::atomic<int> jobs_{0};     // jobs queued or running
    std::mutex mutex_;             // guards the curves waiting for delivery
    std::vector<FileCurves> readyCurves_;
    qint64 lastCurvesDelivery_ = 0;
};

}  // namespace pavo
