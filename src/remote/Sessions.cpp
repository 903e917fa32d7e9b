#include "remote/Sessions.h"

#include <algorithm>

#include "remote/Secrets.h"

namespace pavo::remote {

namespace {

// An address without a wrong PIN for this long starts afresh; records are kept for at most this many
// addresses (a flood of addresses forgets the oldest first, never a running lock-out).
constexpr auto kFailureMemory = std::chrono::minutes(10);
constexpr size_t kMaxAddresses = 4096;

int CeilSeconds(Sessions::Clock::duration d) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    return static_cast<int>((ms + 999) / 1000);
}

}  // namespace

Sessions::Sessions(std::string pin, int lockoutAfter, Clock::duration lockoutTime, int maxSessions)
    : pin_(std::move(pin)),
      lockoutAfter_(std::max(1, lockoutAfter)),
      lockoutTime_(lockoutTime),
      maxSessions_(static_cast<size_t>(std::max(1, maxSessions))) {}

Sessions::PinAnswer Sessions::TryPin(const std::string& address, std::string_view pin,
                                     Clock::time_point now) {
    std::lock_guard<std::mutex> guard(mutex_);
    Forget(now);
    Failures& f = failures_[address];
    PinAnswer answer;
    if (now < f.lockedUntil) {
        answer.result = PinResult::LockedOut;
        answer.retryAfterSeconds = CeilSeconds(f.lockedUntil - now);
        return answer;
    }
    if (!SameSecret(pin, pin_)) {
        f.last = now;
        if (++f.count >= lockoutAfter_) {
            f.count = 0;
            f.lockedUntil = now + lockoutTime_;
            answer.result = PinResult::LockedOut;
            answer.retryAfterSeconds = CeilSeconds(lockoutTime_);
            return answer;
        }
        answer.result = PinResult::Wrong;
        answer.attemptsLeft = lockoutAfter_ - f.count;
        return answer;
    }
    failures_.erase(address);
    if (sessions_.size() >= maxSessions_) {
        auto oldest = std::min_element(
            sessions_.begin(), sessions_.end(),
            [](const Session& a, const Session& b) { return a.info.lastSeen < b.info.lastSeen; });
        sessions_.erase(oldest);
    }
    Session s;
    s.token = MakeToken();
    s.info.address = address;
    s.info.since = s.info.lastSeen = now;
    sessions_.push_back(s);
    answer.result = PinResult::Accepted;
    answer.token = s.token;
    return answer;
}

void Sessions::Forget(Clock::time_point now) {
    if (failures_.size() < kMaxAddresses / 2) return;
    std::erase_if(failures_, [&](const auto& entry) {
        const Failures& f = entry.second;
        return now >= f.lockedUntil && now - f.last > kFailureMemory;
    });
    // Still full: the records not locking anything out, oldest first.
    while (failures_.size() >= kMaxAddresses) {
        auto victim = failures_.end();
        for (auto it = failures_.begin(); it != failures_.end(); ++it)
            if (now >= it->second.lockedUntil &&
                (victim == failures_.end() || it->second.last < victim->second.last))
                victim = it;
        if (victim == failures_.end()) break;
        failures_.erase(victim);
    }
}

Sessions::Session* Sessions::Find(std::string_view token) {
    Session* found = nullptr;
    for (Session& s : sessions_)
        if (SameSecret(s.token, token) && !found) found = &s;
    return found;
}

bool Sessions::Check(std::string_view token, Clock::time_point now) {
    if (token.empty()) return false;
    std::lock_guard<std::mutex> guard(mutex_);
    Session* s = Find(token);
    if (!s) return false;
    s->info.lastSeen = now;
    return true;
}

void Sessions::End(std::string_view token) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (Session* s = Find(token)) sessions_.erase(sessions_.begin() + (s - sessions_.data()));
}

void Sessions::StreamOpened(std::string_view token) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (Session* s = Find(token)) ++s->info.eventStreams;
}

void Sessions::StreamClosed(std::string_view token) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (Session* s = Find(token); s && s->info.eventStreams > 0) --s->info.eventStreams;
}

std::vector<ClientInfo> Sessions::Clients() const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<ClientInfo> out;
    for (const Session& s : sessions_) out.push_back(s.info);
    return out;
}

}  // namespace pavo::remote
