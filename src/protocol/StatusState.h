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
    // reads them (under EditModel) when it handles WM_STATUS_RECEIVED.
    std::array<uint8_t, kStatusMeterCount> areaA{};  // levels, from replies with CMD 0x0C
    std::array<uint8_t, kStatusMeterCount> areaB{};  // indicators, from replies with CMD 0x18
    // 1 allows one WM_STATUS_RECEIVED; the receive path clears it when it posts, the main window sets
    // it back to 1 once it has handled the message.
    std::atomic<int> messageFlag{1};
    // Guarded by the model lock: 0 makes the next status poll a 0x0C, 1 a 0x18.
    int pollToggle = 0;
};

StatusState& Status();

}  // namespace pavo
