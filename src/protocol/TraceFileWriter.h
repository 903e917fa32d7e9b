#pragma once
// A trace file: the traffic log's lines written to a file (`pavo --trace FILE`, `pavo-cli --trace
// FILE`). Whoever reads the trace ring hands the lines over here, never the engine, so a slow or full
// disk never holds up the exchange with the unit.
//
// A read-only file is refused as a preset save refuses it (model/FileReplace.h). The first write or
// close that fails becomes the writer's failure, kept for its owner to report once; nothing is
// written after it.
#include <memory>
#include <span>
#include <string>

#include "protocol/TrafficText.h"

namespace pavo {

class TraceFileWriter {
public:
    // Opens `path` for writing, created or emptied. Null, with `error` set, when the file is read-only
    // or cannot be opened.
    static std::unique_ptr<TraceFileWriter> Open(const std::string& path, std::string* error);
    ~TraceFileWriter();  // closes the file if Close() was not called (a failure then goes unreported)
    TraceFileWriter(const TraceFileWriter&) = delete;
    TraceFileWriter& operator=(const TraceFileWriter&) = delete;

    // Writes the lines, one per line as FormatTrafficLine prints them. False once the writer has failed.
    bool Write(std::span<const TrafficLine> lines);
    // Closes the file; false if that or anything before it failed.
    bool Close();

    bool Failed() const { return !failure_.empty(); }
    // The first failure in words ("the trace file t.txt could not be written: No space left on
    // device"); empty while all is well.
    const std::string& Failure() const { return failure_; }
    const std::string& path() const { return path_; }

private:
    TraceFileWriter(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    void Fail(const char* what, int error);

    std::string path_;
    int fd_;
    std::string failure_;
};

}  // namespace pavo
