#pragma once
// What the unit's status replies fill, and the scanner's poll toggle.
#include <array>
#include <atomic>
#include <cstdint>

namespace pavo {

constexpr int kStatusMeterCount = 12;
constexpr uint8_t kStatusAResetValue = 200;
constexpr uint8_t kStatusBResetValue = 100;

struct StatusState {
    // Guarded by the model lock: the receive path writes them on the engine's thread, the system page
    // reads them when the status event reaches it.
    std::array<uint8_t, kStatusMeterCount> areaA{};  // levels, from replies with CMD 0x0C
    std::array<uint8_t, kStatusMeterCount> areaB{};  // indicators, from replies with CMD 0x18
    // 1 allows one status event; the receive path clears it when it reports, the main window sets it
    // back to 1 once it has handled the event.
    std::atomic<int> messageFlag{1};
    // Guarded by the model lock: 0 makes the next status poll a 0x0C, 1 a 0x18.
    int pollToggle = 0;

    // Part of the model's reset; the caller holds the model lock.
    void Reset() {
        messageFlag = 1;
        pollToggle = 0;
        areaA.fill(kStatusAResetValue);
        areaB.fill(kStatusBResetValue);
    }
};

}  // namespace pavo
