#include "Interrupt.h"

#include <csignal>

namespace pavo::cli {

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
void OnSignal(int) {
    gInterrupted = 1;
}
}  // namespace

void CatchInterrupts() {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
}

bool Interrupted() {
    return gInterrupted != 0;
}

}  // namespace pavo::cli
