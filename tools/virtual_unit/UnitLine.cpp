#include "UnitLine.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace pavo::unit {

namespace {

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

UnitLine::UnitLine(UnitOptions options) : options_(std::move(options)), unit_(options_.storeAuthority) {
    unit_.CorruptStoredByte(options_.corruptProgram, options_.corruptOffset);
}

UnitLine::~UnitLine() {
    Stop();
}

bool UnitLine::Start(std::string* error) {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        if (error) *error = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    // Raw from the start, so nothing is echoed or cooked before the program configures the line.
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    devicePath_ = name;
    startMs_ = NowMs();
    thread_ = std::thread([this] { Run(); });
    return true;
}

void UnitLine::Stop() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        stopping_ = true;
    }
    if (wake_ >= 0) {
        const uint64_t one = 1;
        (void)!::write(wake_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    CloseSides();
    if (wake_ >= 0) ::close(wake_);
    wake_ = -1;
}

void UnitLine::CloseSides() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

std::vector<ReceivedFrame> UnitLine::Received() const {
    std::lock_guard<std::mutex> g(mutex_);
    return received_;
}

std::vector<ReceivedFrame> UnitLine::ReceivedFrom(size_t first) const {
    std::lock_guard<std::mutex> g(mutex_);
    if (first >= received_.size()) return {};
    return std::vector<ReceivedFrame>(received_.begin() + static_cast<std::ptrdiff_t>(first),
                                      received_.end());
}

size_t UnitLine::ReceivedCount() const {
    std::lock_guard<std::mutex> g(mutex_);
    return received_.size();
}

bool UnitLine::WaitForFrames(size_t n, int timeoutMs) const {
    std::unique_lock<std::mutex> g(mutex_);
    return arrived_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return received_.size() >= n; });
}

void UnitLine::Unplug() {
    std::unique_lock<std::mutex> g(mutex_);
    unplugRequested_ = true;
    const uint64_t one = 1;
    (void)!::write(wake_, &one, sizeof one);
    arrived_.wait_for(g, std::chrono::seconds(5), [&] { return unplugged_ || !thread_.joinable(); });
}

bool UnitLine::Unplugged() const {
    std::lock_guard<std::mutex> g(mutex_);
    return unplugged_;
}

bool UnitLine::PauseMs(int ms) {
    if (ms > 0) {
        pollfd fd{wake_, POLLIN, 0};
        ::poll(&fd, 1, ms);
    }
    std::lock_guard<std::mutex> g(mutex_);
    return !stopping_ && !unplugRequested_;
}

bool UnitLine::PauseUs(long us) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    while (std::chrono::steady_clock::now() < until) {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(until - std::chrono::steady_clock::now());
        timespec ts{0, static_cast<long>(std::min<long long>(left.count(), 999999) * 1000)};
        pollfd fd{wake_, POLLIN, 0};
        ::ppoll(&fd, 1, &ts, nullptr);
        std::lock_guard<std::mutex> g(mutex_);
        if (stopping_ || unplugRequested_) return false;
    }
    return true;
}

bool UnitLine::WriteAll(const uint8_t* bytes, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(master_, bytes, n);
        if (w > 0) {
            bytes += w;
            n -= static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd fds[2] = {{master_, POLLOUT, 0}, {wake_, POLLIN, 0}};
        ::poll(fds, 2, 1000);
        std::lock_guard<std::mutex> g(mutex_);
        if (stopping_ || unplugRequested_) return false;
    }
    return true;
}

void UnitLine::Respond(const Frame& frame, size_t number) {
    if (options_.silent || (options_.silentAfter > 0 && number > static_cast<size_t>(options_.silentAfter)))
        return;
    std::vector<uint8_t> reply;
    if (options_.nackEvery > 0 && VirtualUnit::AnswersWithAck(frame.cmd) &&
        ++acks_ % static_cast<size_t>(options_.nackEvery) == 0)
        reply = EncodeAck(frame.cmd, 2);  // refused: nothing applied
    else
        reply = unit_.Answer(frame);
    if (reply.empty()) return;
    if (options_.badSumEvery > 0 && ++replies_ % static_cast<size_t>(options_.badSumEvery) == 0)
        reply.back() = static_cast<uint8_t>(reply.back() ^ 0x5A);
    if (!options_.noise.empty()) reply.insert(reply.begin(), options_.noise.begin(), options_.noise.end());
    if (!PauseMs(options_.replyDelayMs)) return;
    if (frame.cmd == options_.slowCommand && !PauseMs(options_.slowCommandMs)) return;
    if (options_.wireBaud > 0) {
        // Request and reply take 10 bits a byte on a real line; on the pseudo-terminal they take
        // nothing, so the unit waits that long before it answers.
        const size_t bytes = frame.payload.size() + 6 + reply.size();
        if (!PauseUs(static_cast<long>(bytes * 10 * 1000000ull / options_.wireBaud))) return;
    }
    const size_t chunk = options_.chunkSize > 0 ? static_cast<size_t>(options_.chunkSize) : reply.size();
    for (size_t at = 0; at < reply.size(); at += chunk) {
        if (at > 0 && !PauseMs(options_.chunkDelayMs)) return;
        if (!WriteAll(reply.data() + at, std::min(chunk, reply.size() - at))) return;
    }
}

// Best effort, like a talker that does not care whether anyone listens: what does not fit is lost.
void UnitLine::Chatter() {
    (void)!::write(master_, options_.chatter.data(), options_.chatter.size());
}

void UnitLine::Run() {
    using Clock = std::chrono::steady_clock;
    FrameDecoder decoder;
    size_t count = 0;
    uint8_t buffer[4096];
    const bool chatters = !options_.chatter.empty() && options_.chatterEveryMs > 0;
    const auto chatterEvery = std::chrono::milliseconds(options_.chatterEveryMs);
    auto nextChatter = Clock::now() + chatterEvery;
    for (;;) {
        {
            std::lock_guard<std::mutex> g(mutex_);
            if (stopping_) return;
            if (unplugRequested_) break;
        }
        int timeoutMs = -1;  // nothing to do until the program writes or Stop() rings
        if (chatters) {
            if (Clock::now() >= nextChatter) {
                Chatter();
                nextChatter = std::max(nextChatter + chatterEvery, Clock::now());
            }
            timeoutMs = static_cast<int>(std::max<long long>(
                0, std::chrono::ceil<std::chrono::milliseconds>(nextChatter - Clock::now()).count()));
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready <= 0) continue;
        if (fds[1].revents & POLLIN) {
            uint64_t v;
            (void)!::read(wake_, &v, sizeof v);
            continue;
        }
        if (!(fds[0].revents & POLLIN)) {
            if (!PauseMs(10)) continue;  // nobody on the line right now: do not spin
            continue;
        }
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            PauseMs(10);
            continue;
        }
        decoder.Feed(buffer, static_cast<size_t>(n));
        bool unplug = false;
        while (auto frame = decoder.Next()) {
            ++count;
            {
                std::lock_guard<std::mutex> g(mutex_);
                received_.push_back({*frame, NowMs() - startMs_});
            }
            arrived_.notify_all();
            if (options_.unplugAfter > 0 && count >= static_cast<size_t>(options_.unplugAfter)) {
                unplug = true;
                break;
            }
            Respond(*frame, count);
        }
        if (unplug) break;
    }
    // Unplugged: the program's side sees a hang-up.
    std::lock_guard<std::mutex> g(mutex_);
    CloseSides();
    unplugged_ = true;
    arrived_.notify_all();
}

}  // namespace pavo::unit
