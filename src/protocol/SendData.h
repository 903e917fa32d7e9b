#pragma once
// One queued frame: it owns a heap-allocated frame record, all zero but FF 55 when created. The
// command builder fills LEN, CMD, payload and control bytes and calls FinishFrame before appending.
#include <memory>

#include "protocol/FrameRecord.h"

namespace pavo {

class SendData {
public:
    SendData();  // throws std::bad_alloc when the record cannot be allocated
    SendData(const SendData&) = delete;
    SendData& operator=(const SendData&) = delete;

    FrameRecord& Record() { return *record_; }
    const FrameRecord& Record() const { return *record_; }

private:
    std::unique_ptr<FrameRecord> record_;
};

}  // namespace pavo
