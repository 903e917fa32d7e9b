#pragma once
// `--trace FILE`: the traffic of a run as the traffic log's lines, written by a thread of its own so
// the engine only ever copies a record into the ring. The file itself is protocol/TraceFileWriter:
// a read-only file is refused, and the first failed write or close stops the trace and is kept for
// the run to report once.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "protocol/TraceFileWriter.h"
#include "protocol/TraceRing.h"
#include "protocol/TrafficText.h"

namespace pavo::cli {

class TraceFile : public TraceSink {
public:
    // Throws CliFailure (bad usage) when the file cannot be written.
    explicit TraceFile(const std::string& path);
    ~TraceFile() override;

    void OnTrace(const TraceEvent& event) override { ring_.OnTrace(event); }
    // Writes what is left and closes the file. The first failure of the trace in words, empty when
    // every line was written.
    std::string Finish();

private:
    void Run();
    void WriteWaiting();

    std::unique_ptr<TraceFileWriter> writer_;
    TraceRing ring_{8192};
    TrafficDecoder decoder_;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    bool finished_ = false;
    uint64_t lostReported_ = 0;  // writer thread only
    std::thread thread_;
};

}  // namespace pavo::cli
