#include "TraceFile.h"

#include <vector>

#include "CliFailure.h"

namespace pavo::cli {

TraceFile::TraceFile(const std::string& path) {
    std::string error;
    writer_ = TraceFileWriter::Open(path, &error);
    if (!writer_) FailUsage(error);
    thread_ = std::thread([this] { Run(); });
}

TraceFile::~TraceFile() {
    Finish();
}

std::string TraceFile::Finish() {
    if (!finished_) {
        finished_ = true;
        {
            std::lock_guard<std::mutex> g(mutex_);
            stopping_ = true;
        }
        stop_.notify_all();
        thread_.join();
        WriteWaiting();
        writer_->Close();
    }
    return writer_->Failure();
}

void TraceFile::Run() {
    std::unique_lock<std::mutex> g(mutex_);
    while (!stop_.wait_for(g, std::chrono::milliseconds(100), [this] { return stopping_; })) {
        g.unlock();
        WriteWaiting();
        g.lock();
    }
}

void TraceFile::WriteWaiting() {
    std::vector<TraceRecord> records;
    ring_.TakeAll(records);
    std::vector<TrafficLine> lines;
    if (const uint64_t lost = ring_.Lost(); lost > lostReported_) {
        TrafficLine gap;
        gap.time = TimeOfDay(std::chrono::system_clock::now());
        gap.direction = "--";
        gap.text = std::to_string(lost - lostReported_) + " records lost: the trace fell behind";
        lines.push_back(gap);
        lostReported_ = lost;
    }
    for (const TraceRecord& r : records) lines.push_back(decoder_.Describe(r));
    if (!lines.empty()) writer_->Write(lines);
}

}  // namespace pavo::cli
