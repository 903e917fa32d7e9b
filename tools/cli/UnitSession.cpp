#include "UnitSession.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include "CliFailure.h"
#include "Interrupt.h"
#include "model/Model.h"
#include "model/PresetFiles.h"
#include "protocol/Command.h"

namespace pavo::cli {

namespace {

// The engine gives a silent unit up after about three seconds, and its longest pause is three
// seconds: an exchange that shows no sign of life for this long is stuck.
constexpr auto kStalled = std::chrono::seconds(20);

bool IsPoll(uint8_t cmd) {
    return cmd == CmdStatusA || cmd == CmdStatusB;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

UnitSession::UnitSession(std::string device, TraceSink* trace) : device_(std::move(device)), trace_(trace) {
    unit_.handler().InstallTraceSink(this);
    unit_.AddListener(this);
}

UnitSession::~UnitSession() {
    port_.ClosePort();
    unit_.RemoveListener(this);
    unit_.handler().RemoveTraceSink(this);
}

void UnitSession::DeviceFound() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        deviceFound_ = true;
    }
    changed_.notify_all();
}

void UnitSession::ProgramReceived(ProgramSource) {
    {
        std::lock_guard<std::mutex> g(mutex_);
        programReceived_ = true;
    }
    changed_.notify_all();
}

void UnitSession::StatusReceived(StatusArea area) {
    std::array<uint8_t, kStatusMeterCount> values{};
    Model& m = unit_.model();
    m.Edit([&] { values = area == StatusArea::Levels ? m.status.areaA : m.status.areaB; });
    m.status.messageFlag = 1;  // copied: the next reply may report
    {
        std::lock_guard<std::mutex> g(mutex_);
        meters_.emplace_back(area, values);
    }
    changed_.notify_all();
}

void UnitSession::LinkFailed(const PortError& error, bool lookupFrame) {
    {
        std::lock_guard<std::mutex> g(mutex_);
        // As the program's connection does: off line, and no transfer left to wait for.
        unit_.model().flags.connected = 0;
        unit_.model().flags.transferPending = 0;
        linkFailed_ = true;
        lookupFailed_ = lookupFrame;
        linkError_ = error;
    }
    changed_.notify_all();
}

void UnitSession::WrongProgramNumber(int, int) {
    std::lock_guard<std::mutex> g(mutex_);
    warnings_.push_back("the unit answered a program request with another program's image");
}

void UnitSession::PortWarning(const PortError& error, int portNumber) {
    std::lock_guard<std::mutex> g(mutex_);
    warnings_.push_back(OneLine(error.ApplicationErrorText(portNumber)));
}

std::vector<std::string> UnitSession::Warnings() const {
    std::lock_guard<std::mutex> g(mutex_);
    return warnings_;
}

void UnitSession::OnTrace(const TraceEvent& e) {
    {
        std::lock_guard<std::mutex> g(mutex_);
        lastActivity_ = std::chrono::steady_clock::now();
        if (e.kind == TraceKind::Written) {
            inFlightSequence_ = e.value;
            if (e.value == 0 && e.size > 4) {
                if (IsPoll(e.bytes[4])) {
                    ++polls_;
                } else {
                    ++changes_;
                    pollsAtChange_ = polls_;
                    acceptedAtChange_ = accepted_;
                }
            }
        } else if (e.kind == TraceKind::Accepted) {
            ++accepted_;
            if (inFlightSequence_ != 0) acceptedSequence_ = inFlightSequence_;
        }
    }
    changed_.notify_all();
    if (trace_) trace_->OnTrace(e);
}

void UnitSession::Connect() {
    unit_.Reset(false);
    AcceptProgram(unit_.model(), true);  // nothing to send: the unit's records replace these
    if (const PortError error =
            port_.OpenPort(device_, 115200, 'N', 8, 0, kEventRxChar | kEventCts, 115200)) {
        if (error.fault == LinkFault::PortBusy) FailUnit(device_ + " is in use by another program");
        if (error.fault == LinkFault::NoPort)
            FailUsage("the port is empty: give a device, e.g. --port /dev/ttyUSB0");
        FailUnit("cannot open " + device_ + ": " + error.Text());
    }
    unit_.handler().QueueCommand(CmdLookup, 0);
    if (port_.StartEngine() != 1) FailUnit("cannot start the serial engine on " + device_);
    WaitUntil([this] { return deviceFound_; }, "the device lookup");
}

bool UnitSession::StoreAuthority() const {
    return unit_.model().flags.storeAuthority.load() != 0;
}

void UnitSession::MarkConnected() {
    // Under the session's lock: a failure reported meanwhile is not overwritten.
    std::lock_guard<std::mutex> g(mutex_);
    if (linkFailed_) LinkFailed("the connection");
    unit_.model().flags.connected = 1;
}

void UnitSession::LinkFailed(const char* what) {
    if (lookupFailed_) FailUnit("no answer from a unit on " + device_ + " (device lookup tried 3 times)");
    FailUnit("the link to the unit on " + device_ + " failed during " + what + ": " + linkError_.Text());
}

void UnitSession::WaitUntil(const std::function<bool()>& done, const char* what,
                            const std::function<void()>& onChange, bool interruptible) {
    std::unique_lock<std::mutex> g(mutex_);
    lastActivity_ = std::chrono::steady_clock::now();
    for (;;) {
        if (onChange) {
            g.unlock();
            onChange();
            g.lock();
        }
        if (linkFailed_) LinkFailed(what);
        if (done()) return;
        if (interruptible && Interrupted())
            FailUnit("interrupted during " + std::string(what) + " on " + device_);
        if (std::chrono::steady_clock::now() - lastActivity_ > kStalled)
            FailUnit("the unit on " + device_ + " stopped answering during " + what);
        changed_.wait_for(g, std::chrono::milliseconds(100));
    }
}

void UnitSession::RunBatch(std::initializer_list<std::pair<unsigned, unsigned>> commands, const char* what,
                           const ProgressFn& progress) {
    int n = 0;
    {
        // As the program numbers a batch: every queued item 1..n, under the send lock, so the engine
        // sees the whole batch or none of it.
        ProtocolHandler& handler = unit_.handler();
        SendLockGuard lock(handler.SendLock());
        for (auto [command, argument] : commands)
            if (handler.QueueCommand(command, argument) != 1)
                FailUnit("out of memory while queueing " + std::string(what));
        n = handler.Count();
        for (int i = 0; i < n; ++i)
            handler.Queue().At(i)->Record()[outgoing::kSequence] = static_cast<uint8_t>(i + 1);
        std::lock_guard<std::mutex> g(mutex_);
        acceptedSequence_ = 0;
    }
    int shown = -1;
    WaitUntil([&] { return acceptedSequence_ >= n; }, what,
              [&] {
                  int done;
                  {
                      std::lock_guard<std::mutex> g(mutex_);
                      done = acceptedSequence_;
                  }
                  if (progress && done != shown) progress(done, n);
                  shown = done;
              });
    if (progress && shown != n) progress(n, n);
}

void UnitSession::ReadEverything(const ProgressFn& progress) {
    RunBatch({{CmdReadNames, 0}, {CmdReadSystem, 0}, {CmdReadPrograms, 0}}, "the full read", progress);
}

void UnitSession::ReadCurrent() {
    RunBatch({{CmdReadSystem, 0}, {CmdReadPrograms, 0}}, "reading the current program", {});
}

ProgramBank UnitSession::ReadBank(const ProgressFn& progress) {
    RunBatch({{CmdReadSystem, 0}, {CmdReadPrograms, 1}}, "reading the programs", progress);
    // Bank completion, as when the unit has sent program 21: the header is the system record.
    Model& m = unit_.model();
    auto bank = std::make_unique<ProgramBank>();
    {
        SendLockGuard lock(unit_.handler().SendLock());
        m.Edit([&] {
            CopyRecord(m.bank.System, m.system);
            m.bank.Valid = 1;
            CopyRecord(*bank, m.bank);
        });
    }
    return *bank;
}

void UnitSession::WriteBank(const ProgramBank& bank, const ProgressFn& progress) {
    {
        // The engine must not see a half-applied bank; once applied, it is declared sent.
        SendLockGuard lock(unit_.handler().SendLock());
        ApplyDat(unit_.model(), bank);
    }
    RunBatch({{CmdSendPrograms, 1}, {CmdSendSystem, 1}}, "writing the programs", progress);
}

bool UnitSession::Recall(int n) {
    {
        std::lock_guard<std::mutex> g(mutex_);
        programReceived_ = false;
    }
    Model& m = unit_.model();
    m.Edit([&] { m.system.ProgramNumber = static_cast<uint8_t>(n); });
    RunBatch({{CmdRecall, static_cast<unsigned>(n)}}, "the recall", {});
    std::lock_guard<std::mutex> g(mutex_);
    return programReceived_;
}

UnitSession::EditTicket UnitSession::Apply(const std::function<void()>& edit) {
    // Under the send lock: every scan from here on sees the edit.
    SendLockGuard lock(unit_.handler().SendLock());
    edit();
    std::lock_guard<std::mutex> g(mutex_);
    return {changes_, polls_, 0};
}

bool UnitSession::Written(EditTicket& t) {
    // Either a frame for it goes out, or the scanner finds nothing: a poll built after the edit (the
    // second poll from then; the first may have been built before).
    bool sent = false;
    WaitUntil(
        [&] {
            sent = changes_ > t.changes;
            if (sent) t.acceptedBefore = acceptedAtChange_;
            return sent || polls_ >= t.polls + 2;
        },
        "the change");
    return sent;
}

void UnitSession::Accepted(const EditTicket& t) {
    WaitUntil([&] { return accepted_ > t.acceptedBefore; }, "the change");
}

}  // namespace pavo::cli

namespace pavo::cli {

int UnitSession::ChangeAndSendAll(const std::function<void()>& edit) {
    return SendAll(edit, "the change", true);
}

void UnitSession::SendPending() {
    SendAll([] {}, "sending the last edits", false);
}

int UnitSession::SendAll(const std::function<void()>& edit, const char* what, bool interruptible) {
    uint64_t changes, polls;
    {
        SendLockGuard lock(unit_.handler().SendLock());
        edit();
        std::lock_guard<std::mutex> g(mutex_);
        changes = changes_;
        polls = polls_;
    }
    // A poll goes out only once the frame before it has been answered: two polls after the last frame
    // made for the edit (or after the edit, when it made none) mean that every one was accepted.
    WaitUntil([&] { return polls_ >= (changes_ > changes ? pollsAtChange_ : polls) + 2; }, what, {},
              interruptible);
    std::lock_guard<std::mutex> g(mutex_);
    return static_cast<int>(changes_ - changes);
}

void UnitSession::WatchMeters(const MeterLine& line) {
    Model& m = unit_.model();
    m.Edit([&] { m.pages.CurrentPage = kSystemPageIndex; });  // the meters are the system page's
    for (;;) {
        WaitUntil([&] { return !meters_.empty() || Interrupted(); }, "the meters");
        if (Interrupted()) return;
        std::pair<StatusArea, std::array<uint8_t, kStatusMeterCount>> next;
        {
            std::lock_guard<std::mutex> g(mutex_);
            next = meters_.front();
            meters_.pop_front();
        }
        if (!line(next.first, next.second)) return;
    }
}

}  // namespace pavo::cli
