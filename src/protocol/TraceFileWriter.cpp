#include "protocol/TraceFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "model/FileReplace.h"

namespace pavo {

std::unique_ptr<TraceFileWriter> TraceFileWriter::Open(const std::string& path, std::string* error) {
    const auto refuse = [&](const std::string& why) {
        if (error) *error = "cannot write the trace file " + path + ": " + why;
        return nullptr;
    };
    if (path.empty()) return refuse("no file name");
    if (IsReadOnlyFile(path)) return refuse("the file is read-only");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return refuse(std::strerror(errno));
    return std::unique_ptr<TraceFileWriter>(new TraceFileWriter(path, fd));
}

TraceFileWriter::~TraceFileWriter() {
    if (fd_ >= 0) ::close(fd_);
}

void TraceFileWriter::Fail(const char* what, int error) {
    if (Failed()) return;
    failure_ = "the trace file " + path_ + " could not be " + what + ": " + std::strerror(error) +
               "; the trace stops here";
}

bool TraceFileWriter::Write(std::span<const TrafficLine> lines) {
    if (Failed() || fd_ < 0) return false;
    std::string text;
    for (const TrafficLine& line : lines) {
        text += FormatTrafficLine(line);
        text += '\n';
    }
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail("written", n == 0 ? EIO : errno);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool TraceFileWriter::Close() {
    if (fd_ < 0) return !Failed();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail("closed", errno);
    return !Failed();
}

}  // namespace pavo
