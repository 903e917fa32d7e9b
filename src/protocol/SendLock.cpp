#include "protocol/SendLock.h"

namespace pavo {

std::recursive_mutex& SendLock() {
    static std::recursive_mutex lock;
    return lock;
}

}  // namespace pavo
