#include "TraceFile.h"

#include <cerrno>
#include <cstring>

#include "CliFailure.h"

namespace pavo::cli {

TraceFile::TraceFile(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
    if (!file_) FailUsage("cannot write the trace file " + path + ": " + std::strerror(errno));
    thread_ = std::thread([this] { Run(); });
}

TraceFile::~TraceFile() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        stopping_ = true;
    }
    stop_.notify_all();
    thread_.join();
    WriteWaiting();
    std::fclose(file_);
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
    if (const uint64_t lost = ring_.Lost(); lost > lostReported_) {
        std::fprintf(file_, "%s\t--\t\t%llu records lost: the trace fell behind\n",
                     TimeOfDay(std::chrono::system_clock::now()).c_str(),
                     static_cast<unsigned long long>(lost - lostReported_));
        lostReported_ = lost;
    }
    for (const TraceRecord& r : records) {
        const std::string line = FormatTrafficLine(decoder_.Describe(r));
        std::fwrite(line.data(), 1, line.size(), file_);
        std::fputc('\n', file_);
    }
    std::fflush(file_);
}

}  // namespace pavo::cli
