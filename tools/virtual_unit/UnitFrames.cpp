#include "UnitFrames.h"

#include <algorithm>

namespace pavo::unit {

namespace {
constexpr size_t kMaxLen = 4202;  // the program's frame area is 4206 bytes
}

std::vector<uint8_t> EncodeFrame(uint8_t cmd, const std::vector<uint8_t>& payload) {
    const size_t len = payload.size() + 2;
    std::vector<uint8_t> out;
    out.reserve(len + 4);
    out.push_back(0xFF);
    out.push_back(0x55);
    out.push_back(static_cast<uint8_t>(len & 0xFF));
    out.push_back(static_cast<uint8_t>(len >> 8));
    out.push_back(cmd);
    out.insert(out.end(), payload.begin(), payload.end());
    unsigned sum = 0;
    for (size_t i = 2; i < out.size(); ++i) sum += out[i];
    out.push_back(static_cast<uint8_t>(sum));
    return out;
}

std::vector<uint8_t> EncodeAck(uint8_t cmd, uint8_t status) {
    return EncodeFrame(cmd, {status});
}

void FrameDecoder::Feed(const uint8_t* bytes, size_t count) {
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    size_t pos = 0;
    for (;;) {
        while (pos + 1 < buffer_.size() && !(buffer_[pos] == 0xFF && buffer_[pos + 1] == 0x55)) ++pos;
        if (pos + 4 > buffer_.size()) break;
        const size_t len = buffer_[pos + 2] | (buffer_[pos + 3] << 8);
        if (len < 2 || len > kMaxLen) {
            ++badFrames_;
            pos += 2;
            continue;
        }
        if (pos + 4 + len > buffer_.size()) break;
        unsigned sum = 0;
        for (size_t i = pos + 2; i < pos + 3 + len; ++i) sum += buffer_[i];
        if (static_cast<uint8_t>(sum) != buffer_[pos + 3 + len]) {
            ++badFrames_;
            pos += 2;
            continue;
        }
        Frame f;
        f.cmd = buffer_[pos + 4];
        f.payload.assign(buffer_.begin() + static_cast<long>(pos + 5),
                         buffer_.begin() + static_cast<long>(pos + 3 + len));
        ready_.push_back(std::move(f));
        pos += 4 + len;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(std::min(pos, buffer_.size())));
}

std::optional<Frame> FrameDecoder::Next() {
    if (readyPos_ >= ready_.size()) {
        ready_.clear();
        readyPos_ = 0;
        return std::nullopt;
    }
    return std::move(ready_[readyPos_++]);
}

}  // namespace pavo::unit
