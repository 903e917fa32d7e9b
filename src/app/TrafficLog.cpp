#include "app/TrafficLog.h"

#include <cstdio>

#include "app/TrafficLogWindow.h"
#include "platform/Language.h"

namespace pavo {

TrafficLog::TrafficLog(ProtocolHandler& handler, QObject* parent)
    : QObject(parent), handler_(handler), model_(std::make_unique<TrafficLogModel>()) {
    model_->SetLimit(kClosedRecords);
    timer_.setInterval(kReadIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &TrafficLog::ReadNow);
    handler_.InstallTraceSink(&ring_);
}

TrafficLog::~TrafficLog() {
    handler_.RemoveTraceSink(&ring_);  // after this the engine no longer reaches the ring
    if (window_) delete window_.data();
    if (trace_) {
        ReadNow();
        if (!trace_->Failed() && !trace_->Close()) std::fprintf(stderr, "pavo: %s\n", trace_->Failure().c_str());
    }
}

bool TrafficLog::WriteTraceTo(const std::string& path, std::string* error) {
    std::unique_ptr<TraceFileWriter> writer = TraceFileWriter::Open(path, error);
    if (!writer) return false;
    if (trace_) ReadNow();  // the old file gets what is waiting
    trace_ = std::move(writer);
    UpdateReading();
    if (window_) window_->ShowTraceStatus();
    return true;
}

QString TrafficLog::TraceStatus() const {
    if (!trace_) return {};
    if (trace_->Failed()) return QString::fromStdString(trace_->Failure());
    return Bilingual("记录文件: ", "Trace file: ") + QString::fromStdString(trace_->path());
}

// Said once: a line of the log (shown in red), the window's status line and stderr.
void TrafficLog::SayTraceFailed(std::vector<TrafficLine>& lines) {
    TrafficLine failure;
    failure.time = TimeOfDay(std::chrono::system_clock::now());
    failure.direction = "--";
    failure.text = trace_->Failure();
    lines.push_back(std::move(failure));
    std::fprintf(stderr, "pavo: %s\n", trace_->Failure().c_str());
    if (window_) window_->ShowTraceStatus();
}

TrafficLogWindow* TrafficLog::window() const {
    return window_.data();
}

void TrafficLog::ShowWindow(QWidget* owner) {
    if (!window_) window_ = new TrafficLogWindow(*this, owner);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TrafficLog::ApplyLanguage() {
    model_->Relabel();
    if (window_) window_->ApplyLanguage();
}

void TrafficLog::WindowShown(bool shown) {
    windowShown_ = shown;
    UpdateReading();
}

// Someone reads (the window or a trace file): a roomy queue and the timer. Nobody: the small ring,
// and no work at all on the UI thread.
void TrafficLog::UpdateReading() {
    const bool reading = windowShown_ || trace_;
    ring_.SetCapacity(reading ? kOpenRecords : kClosedRecords);
    model_->SetLimit(windowShown_ ? 50000 : kClosedRecords);
    if (reading && !timer_.isActive()) {
        ReadNow();  // what the ring kept while nobody read it
        timer_.start();
    } else if (!reading) {
        timer_.stop();
    }
}

void TrafficLog::ReadNow() {
    std::vector<TraceRecord> records;
    ring_.TakeAll(records);
    std::vector<TrafficLine> lines;
    lines.reserve(records.size() + 1);
    // Records that the engine made while nobody read are not missed; records pushed out while
    // someone should have been reading are.
    const uint64_t lost = ring_.Lost();
    if (lost > lostReported_ && timer_.isActive()) {
        TrafficLine gap;
        gap.time =
            records.empty() ? TimeOfDay(std::chrono::system_clock::now()) : TimeOfDay(records.front().at);
        gap.direction = "--";
        gap.text = std::to_string(lost - lostReported_) + " records lost: the log fell behind";
        lines.push_back(std::move(gap));
    }
    lostReported_ = lost;
    for (const TraceRecord& r : records) lines.push_back(decoder_.Describe(r));
    if (lines.empty()) return;
    if (trace_ && !trace_->Failed() && !trace_->Write(lines)) SayTraceFailed(lines);
    model_->Append(std::move(lines));
}

}  // namespace pavo
