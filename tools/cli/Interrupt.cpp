#include "Interrupt.h"

#include <csignal>

namespace pavo::cli {

namespace {
// A lock-free atomic is safe to store from a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free);
std::atomic<bool> gInterrupted{false};
void OnSignal(int) {
    gInterrupted.store(true);
}
}  // namespace

void CatchInterrupts() {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
}

bool Interrupted() {
    return gInterrupted.load();
}

const std::atomic<bool>& InterruptFlag() {
    return gInterrupted;
}

}  // namespace pavo::cli
