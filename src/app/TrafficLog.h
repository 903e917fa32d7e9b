#pragma once
// The traffic log: the serial engine's trace, kept all the time in a small ring and read out on the
// UI thread while the log window is open or a trace file (`pavo --trace FILE`) is being written.
// The engine only ever copies a record into the ring; decoding, the window and the file happen here,
// on a timer, so a slow reader loses old records (and says so) instead of slowing the exchange.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "app/TrafficLogModel.h"
#include "protocol/ProtocolHandler.h"
#include "protocol/TraceFileWriter.h"
#include "protocol/TraceRing.h"
#include "protocol/TrafficText.h"

class QWidget;

namespace pavo {

class TrafficLogWindow;

class TrafficLog : public QObject {
    Q_OBJECT
public:
    static constexpr size_t kClosedRecords = 256;  // what the ring keeps while nobody reads it
    static constexpr size_t kOpenRecords = 8192;   // the queue between the engine and a reader
    static constexpr int kReadIntervalMs = 100;

    // Reads the trace of `handler` (a unit's) for as long as it lives.
    explicit TrafficLog(ProtocolHandler& handler, QObject* parent = nullptr);
    ~TrafficLog() override;

    // Starts writing every line to `path` (created or emptied). False with `error` set if it cannot
    // (a read-only file is refused). The first failed write stops the trace: it is said once, as a
    // line of the log, in TraceStatus() and on stderr; the exchange with the unit goes on.
    bool WriteTraceTo(const std::string& path, std::string* error = nullptr);
    // What the trace file is doing, for the window's status line: empty without a trace file.
    QString TraceStatus() const;
    bool TraceFailed() const { return trace_ && trace_->Failed(); }
    // Opens the window (created on first use, kept afterwards) in front of `owner`.
    void ShowWindow(QWidget* owner);
    TrafficLogWindow* window() const;
    void ApplyLanguage();

    // Reads what the engine has recorded since the last read (the timer does this while someone reads).
    void ReadNow();
    bool Reading() const { return timer_.isActive(); }

    TraceRing& ring() { return ring_; }
    TrafficLogModel& lines() { return *model_; }

private:
    friend class TrafficLogWindow;
    void WindowShown(bool shown);
    void UpdateReading();
    void SayTraceFailed(std::vector<TrafficLine>& lines);

    ProtocolHandler& handler_;
    TraceRing ring_{kClosedRecords};
    TrafficDecoder decoder_;
    QTimer timer_;
    std::unique_ptr<TrafficLogModel> model_;
    QPointer<TrafficLogWindow> window_;
    bool windowShown_ = false;
    std::unique_ptr<TraceFileWriter> trace_;
    uint64_t lostReported_ = 0;
};

}  // namespace pavo
