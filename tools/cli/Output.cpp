#include "Output.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace pavo::cli {

namespace {

std::mutex gOutput;
thread_local std::string tPort;

}  // namespace

void SetOutputPort(const std::string& port) {
    tPort = port;
}

void Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    std::lock_guard<std::mutex> guard(gOutput);
    if (tPort.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            std::fprintf(stdout, "%s: ", tPort.c_str());
            std::fwrite(text.data() + start, 1, end - start, stdout);
            start = end;
        }
    }
    std::fflush(stdout);
}

void PrintError(const std::string& line) {
    std::lock_guard<std::mutex> guard(gOutput);
    std::fflush(stdout);
    std::fprintf(stderr, "pavo-cli: %s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace pavo::cli
