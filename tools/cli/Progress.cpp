#include "Progress.h"

#include <algorithm>

namespace pavo::cli {

Progress::Progress(std::FILE* out, bool terminal, std::string what, int total)
    : out_(out), terminal_(terminal), what_(std::move(what)), total_(std::max(total, 1)) {}

void Progress::Set(int done) {
    done = std::clamp(done, 0, total_);
    if (done == shown_) return;
    shown_ = done;
    if (!terminal_) {
        if (done == 0) return;  // a log gets a line per step done
        std::fprintf(out_, "%s %d/%d\n", what_.c_str(), done, total_);
    } else {
        constexpr int kWidth = 30;
        const int filled = done * kWidth / total_;
        std::fprintf(out_, "\r%s [%s%s] %d/%d", what_.c_str(), std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, '-').c_str(), done, total_);
        open_ = true;
    }
    std::fflush(out_);
}

void Progress::Finish() {
    if (open_) std::fputc('\n', out_);
    open_ = false;
    std::fflush(out_);
}

}  // namespace pavo::cli
