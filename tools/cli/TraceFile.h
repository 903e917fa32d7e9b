#pragma once
// `--trace FILE`: the traffic of a run as the traffic log's lines, written by a thread of its own so
// the engine only ever copies a record into the ring.
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "protocol/TraceRing.h"
#include "protocol/TrafficText.h"

namespace pavo::cli {

class TraceFile : public TraceSink {
public:
    // Throws CliFailure (bad usage) when the file cannot be written.
    explicit TraceFile(const std::string& path);
    ~TraceFile() override;  // writes what is left and closes the file

    void OnTrace(const TraceEvent& event) override { ring_.OnTrace(event); }

private:
    void Run();
    void WriteWaiting();

    std::FILE* file_;
    TraceRing ring_{8192};
    TrafficDecoder decoder_;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    uint64_t lostReported_ = 0;  // writer thread only
    std::thread thread_;
};

}  // namespace pavo::cli
