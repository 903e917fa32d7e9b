#pragma once
// The remote service from the outside, as a script or a page sees it: requests with their JSON
// answers, and event streams read on a thread of their own. For the service's tests and its
// benchmark; no test framework here.
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

namespace pavo::test {

using nlohmann::json;

struct Answer {
    int status = 0;  // 0: no answer at all
    json body;       // null when the body is not JSON
    std::string text;
    httplib::Headers headers;
    std::string Header(const std::string& key) const {
        const auto it = headers.find(key);
        return it == headers.end() ? std::string() : it->second;
    }
};

class ApiClient {
public:
    explicit ApiClient(int port, std::string host = "127.0.0.1") : client_(host, port) {
        client_.set_read_timeout(std::chrono::seconds(20));
        client_.set_keep_alive(true);
        client_.set_tcp_nodelay(true);  // as browsers do: a body never waits for the headers' ACK
    }

    // The session token for `pin` (empty when refused).
    std::string Login(const std::string& pin) {
        const Answer a = Send("POST", "/api/session", json{{"pin", pin}}.dump());
        return a.status == 200 ? a.body.value("token", "") : std::string();
    }
    void UseToken(std::string token) { token_ = std::move(token); }

    // One request; `headers` are added to the token's.
    Answer Send(const std::string& method, const std::string& path, const std::string& body = {},
                httplib::Headers headers = {}, const std::string& contentType = "application/json") {
        if (!token_.empty()) headers.emplace("Authorization", "Bearer " + token_);
        httplib::Result r = method == "GET"      ? client_.Get(path, headers)
                            : method == "DELETE" ? client_.Delete(path, headers, body, contentType)
                            : method == "PUT"    ? client_.Put(path, headers, body, contentType)
                                                 : client_.Post(path, headers, body, contentType);
        Answer a;
        if (!r) return a;
        a.status = r->status;
        a.text = r->body;
        a.headers = r->headers;
        a.body = json::parse(r->body, nullptr, false);
        if (a.body.is_discarded()) a.body = nullptr;
        return a;
    }
    Answer Get(const std::string& path) { return Send("GET", path); }
    Answer Put(const std::string& field, const json& value) {
        return Send("PUT", "/api/fields/" + field, json{{"value", value}}.dump());
    }

private:
    httplib::Client client_;
    std::string token_;
};

// One event of a stream, with the time it arrived.
struct StreamEvent {
    std::string name;
    json data;
    std::chrono::steady_clock::time_point at;
};

// An open event stream (GET /api/events), read on its own thread until destroyed.
class EventReader {
public:
    EventReader(int port, const std::string& token, const std::string& query = "")
        : client_("127.0.0.1", port) {
        client_.set_read_timeout(std::chrono::seconds(60));
        thread_ = std::thread([this, token, query] {
            const httplib::Headers headers{{"Authorization", "Bearer " + token}};
            auto r = client_.Get("/api/events" + query, headers, [this](const char* data, size_t n) {
                Take(std::string_view(data, n));
                return !stopping_.load();
            });
            std::lock_guard<std::mutex> g(mutex_);
            ended_ = true;
            status_ = r ? r->status : 0;
            changed_.notify_all();
        });
    }
    ~EventReader() {
        stopping_ = true;
        client_.stop();
        thread_.join();
    }

    // Waits until `done` holds for the events so far (checked under the reader's lock).
    bool WaitFor(const std::function<bool(const std::vector<StreamEvent>&)>& done, int timeoutMs) {
        std::unique_lock<std::mutex> g(mutex_);
        return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return done(events_); });
    }
    // The first event named `name` from number `from` on whose data satisfies `match`; waits for it.
    bool WaitForEvent(const std::string& name, const std::function<bool(const json&)>& match, int timeoutMs,
                      size_t from = 0, StreamEvent* found = nullptr) {
        return WaitFor(
            [&](const std::vector<StreamEvent>& events) {
                for (size_t i = from; i < events.size(); ++i)
                    if (events[i].name == name && match(events[i].data)) {
                        if (found) *found = events[i];
                        return true;
                    }
                return false;
            },
            timeoutMs);
    }
    std::vector<StreamEvent> Events() const {
        std::lock_guard<std::mutex> g(mutex_);
        return events_;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> g(mutex_);
        return events_.size();
    }
    bool Ended(int* status = nullptr) const {
        std::lock_guard<std::mutex> g(mutex_);
        if (status) *status = status_;
        return ended_;
    }

private:
    void Take(std::string_view data) {
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> g(mutex_);
        buffer_ += data;
        for (size_t end; (end = buffer_.find("\n\n")) != std::string::npos;) {
            const std::string block = buffer_.substr(0, end);
            buffer_.erase(0, end + 2);
            StreamEvent e;
            e.at = now;
            size_t at = 0;
            while (at <= block.size()) {
                const size_t eol = std::min(block.find('\n', at), block.size());
                const std::string line = block.substr(at, eol - at);
                if (line.rfind("event: ", 0) == 0) e.name = line.substr(7);
                if (line.rfind("data: ", 0) == 0) e.data = json::parse(line.substr(6), nullptr, false);
                at = eol + 1;
            }
            if (!e.name.empty()) events_.push_back(std::move(e));
        }
        changed_.notify_all();
    }

    httplib::Client client_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string buffer_;
    std::vector<StreamEvent> events_;
    bool ended_ = false;
    int status_ = 0;
    std::thread thread_;
};

}  // namespace pavo::test
