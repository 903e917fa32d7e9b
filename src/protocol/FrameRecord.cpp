#include "protocol/FrameRecord.h"

#include <algorithm>
#include <cstring>


namespace pavo {

size_t FrameRecord::FrameLength() const {
    return std::min<size_t>(size_t{Len()} + kFrameHeaderSize, kFrameAreaSize);
}

void FrameRecord::ClearFrom(size_t offset) {
    if (offset < kFrameRecordSize) std::memset(bytes.data() + offset, 0, kFrameRecordSize - offset);
}

void FrameRecord::Reset() {
    bytes.fill(0);
    bytes[0] = kFrameStart0;
    bytes[1] = kFrameStart1;
}

uint8_t FrameSum(const FrameRecord& record, size_t count) {
    count = std::min(count, kFrameAreaSize - 2);
    unsigned sum = 0;
    for (size_t i = 2; i < 2 + count; ++i) sum += record[i];
    return static_cast<uint8_t>(sum);
}

void FinishFrame(FrameRecord& record) {
    uint16_t len = record.Len();
    if (len > kLargestLen) {
        len = kLargestLen;
        record.SetLen(len);
    }
    if (len == 0) return;  // no room for a SUM: not a frame
    const uint8_t sum = FrameSum(record, len + 1u);
    record[len + 3u] = sum;
    record[outgoing::kSumCopy] = sum;
}

}  // namespace pavo
