// QueueCommand: the frames of one bulk command, appended to the send queue as one batch.
#include <cstring>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "model/Model.h"
#include "protocol/Command.h"
#include "protocol/SendLock.h"

namespace pavo {

namespace {

using Batch = std::vector<std::unique_ptr<SendData>>;

// One item: CMD, the payload (head bytes, then `n` bytes of data), SUM; LEN follows from the payload.
SendData& Add(Batch& batch, uint8_t cmd, std::initializer_list<uint8_t> head, const uint8_t* data = nullptr,
              size_t n = 0) {
    auto item = std::make_unique<SendData>();
    FrameRecord& r = item->Record();
    size_t at = 5;
    for (uint8_t b : head) r[at++] = b;
    if (n) std::memcpy(r.data() + at, data, n), at += n;
    r[4] = cmd;
    r.SetLen(static_cast<uint16_t>(at - 5 + 2));
    FinishFrame(r);
    batch.push_back(std::move(item));
    return *batch.back();
}

void Set(SendData& item, std::initializer_list<size_t> controlBytes) {
    for (size_t offset : controlBytes) item.Record()[offset] = 1;
}

// Builds the batch; the model is read (and the passwords written) under the model lock.
void Build(Model& m, Batch& batch, uint8_t c, uint8_t a) {
    std::lock_guard<std::mutex> modelGuard(m.Lock());
    switch (c) {
        case CmdLookup:
            Set(Add(batch, c, {0}), {outgoing::kLookup});
            break;
        case CmdReadNames:
            for (int n = 0; n <= kProgramCount; ++n) Add(batch, c, {static_cast<uint8_t>(n)});
            break;
        case CmdReadSystem:
            Add(batch, c, {0});
            break;
        case CmdReadPrograms:
            if (a == 0) {
                Add(batch, c, {0});
            } else {
                for (int n = 1; n <= kProgramCount; ++n)
                    Set(Add(batch, c, {static_cast<uint8_t>(n)}), {outgoing::kBulk});
            }
            break;
        case CmdSendSystem:
            Set(Add(batch, c, {a}, BytesOf(m.bank.System), sizeof(SystemRecord)), {outgoing::kLongPause});
            break;
        case CmdSendPrograms:
            if (a == 0) {
                Set(Add(batch, c, {0}, BytesOf(m.current), sizeof(ProgramImage)),
                    {outgoing::kAckTransfer, outgoing::kLongPause});
            } else {
                for (int n = 1; n <= kProgramCount; ++n)
                    Set(Add(batch, c, {static_cast<uint8_t>(n)}, BytesOf(m.bank.Programs[n - 1]),
                            sizeof(ProgramImage)),
                        {outgoing::kBulk});
            }
            break;
        case CmdRecall: {
            SendData& item = Add(batch, c, {a});
            if (a != 0) Set(item, {outgoing::kAckTransfer, outgoing::kLongPause});
            break;
        }
        case CmdStore: {
            // Programs are numbered 1..21; another number sends an empty (all zero) name rather than
            // bytes from outside the bank.
            uint8_t name[kProgramNameLength] = {};
            if (a >= 1 && a <= kProgramCount)
                std::memcpy(name, m.bank.Programs[a - 1].ProgramName, sizeof name);
            SendData& item = Add(batch, c, {a}, name, sizeof name);
            if (a != 0) Set(item, {outgoing::kAckTransfer});
            break;
        }
        case CmdSystemPassword: {
            uint8_t p[2 * kSystemPasswordLength];
            std::memcpy(p, m.system.SystemPassword, kSystemPasswordLength);
            std::memcpy(p + kSystemPasswordLength, m.passwordEntry.data() + 14, kSystemPasswordLength);
            Add(batch, c, {}, p, sizeof p);
            break;
        }
        case CmdPanelPassword: {
            uint8_t p[2 * kPanelPasswordLength];
            std::memcpy(p, m.system.PanelPassword, kPanelPasswordLength);
            std::memcpy(p + kPanelPasswordLength, m.passwordEntry.data() + 4, kPanelPasswordLength);
            Add(batch, c, {}, p, sizeof p);
            break;
        }
        default:
            Add(batch, c, {a});
            break;
    }
}

// Effects on the model and flags once the whole batch exists.
void Commit(Model& m, uint8_t c, uint8_t a) {
    switch (c) {
        case CmdSendPrograms:
            if (a == 0) m.flags.transferPending = 1;
            break;
        case CmdRecall:
        case CmdStore:
            if (a != 0) m.flags.transferPending = 1;
            break;
        case CmdSystemPassword: {
            std::lock_guard<std::mutex> modelGuard(m.Lock());
            std::memcpy(m.system.SystemPassword, m.passwordEntry.data() + 14, kSystemPasswordLength);
            break;
        }
        case CmdPanelPassword: {
            std::lock_guard<std::mutex> modelGuard(m.Lock());
            std::memcpy(m.system.PanelPassword, m.passwordEntry.data() + 4, kPanelPasswordLength);
            break;
        }
        default:
            break;
    }
}

}  // namespace

int QueueCommand(Model& m, SendDataQueue& queue, unsigned command, unsigned argument) {
    const auto c = static_cast<uint8_t>(command & 0xFF);  // only the low byte selects the case
    const auto a = static_cast<uint8_t>(argument & 0xFF);
    SendLockGuard sendGuard(queue.Lock());
    Batch batch;
    try {
        Build(m, batch, c, a);
    } catch (const std::bad_alloc&) {
        return 0;  // nothing of a half-built batch goes out
    }
    for (auto& item : batch) queue.Append(std::move(item));
    Commit(m, c, a);
    return 1;
}

int QueueProgramRead(SendDataQueue& queue, int number) {
    if (number < 1 || number > kProgramCount) return 0;
    SendLockGuard sendGuard(queue.Lock());
    Batch batch;
    try {
        Set(Add(batch, CmdReadPrograms, {static_cast<uint8_t>(number)}),
            {outgoing::kBulk, outgoing::kSingleRead});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    queue.Append(std::move(batch.front()));
    return 1;
}

}  // namespace pavo
