#pragma once
// The state flags of one unit's link, shared by its pages, its connection logic and its receive path.
#include <atomic>

namespace pavo {

struct UnitFlags {
    std::atomic<int> connected{0};
    std::atomic<int> transferPending{0};  // a bulk transfer waits for its acknowledgement
    std::atomic<int> lookupPending{0};
    std::atomic<int> storeAuthority{0};  // the system password was verified on this connection
};

}  // namespace pavo
