#include "protocol/SendData.h"

namespace pavo {

SendData::SendData() : record_(std::make_unique<FrameRecord>()) {
    record_->Reset();
}

}  // namespace pavo
