#include "read_faults.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

extern "C" ssize_t __real_read(int fd, void* buffer, size_t count);

namespace pavo::linktest {
namespace {

std::atomic<int> gFailures{0};
std::atomic<int> gError{0};
std::atomic<int> gFailed{0};
std::mutex gPathLock;
std::string gPath;

bool IsOpenOn(int fd) {
    char link[256];
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(proc.c_str(), link, sizeof link - 1);
    if (n <= 0) return false;
    std::lock_guard<std::mutex> g(gPathLock);
    return std::string(link, static_cast<size_t>(n)) == gPath;
}

}  // namespace

void FailReadsOf(const std::string& path, int count, int err) {
    {
        std::lock_guard<std::mutex> g(gPathLock);
        gPath = path;
    }
    gError = err;
    gFailed = 0;
    gFailures = count;
}

int FailedReads() {
    return gFailed.load();
}

}  // namespace pavo::linktest

extern "C" ssize_t __wrap_read(int fd, void* buffer, size_t count) {
    using namespace pavo::linktest;
    if (gFailures.load() > 0 && IsOpenOn(fd)) {
        int left = gFailures.load();
        while (left > 0 && !gFailures.compare_exchange_weak(left, left - 1)) {
        }
        if (left > 0) {
            ++gFailed;
            errno = gError.load();
            return -1;
        }
    }
    return __real_read(fd, buffer, count);
}
