#include "remote/HttpServer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

namespace pavo::remote {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Requests on one keep-alive connection before it is closed.
constexpr int kRequestsPerConnection = 100;

// Set while a connection that found no free worker is turned away on the listening thread.
thread_local bool tTurningAway = false;

std::string NumericAddress(const sockaddr_storage& a, socklen_t len, int& port) {
    char host[NI_MAXHOST] = "";
    char serv[NI_MAXSERV] = "";
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&a), len, host, sizeof host, serv, sizeof serv,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return {};
    port = std::atoi(serv);
    std::string text = host;
    // An IPv4 client on a dual-stack socket is one address, however it arrived.
    if (text.rfind("::ffff:", 0) == 0 && text.find('.') != std::string::npos) text = text.substr(7);
    return text;
}

std::string PeerAddress(int sock, int& port) {
    sockaddr_storage a{};
    socklen_t len = sizeof a;
    if (::getpeername(sock, reinterpret_cast<sockaddr*>(&a), &len) != 0) return {};
    return NumericAddress(a, len, port);
}

// A short answer for a connection that is not served, written without waiting; then it is closed.
void TurnAway(int sock) {
    static constexpr char kBusy[] =
        "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nConnection: close\r\n"
        "Content-Length: 43\r\n\r\n{\"error\":\"too many connections; try again\"}";
    (void)::send(sock, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
}

}  // namespace

// One client connection as cpp-httplib's stream: reads through a small buffer, each read waiting no
// longer than the read time-out or the request's deadline, within the request's byte budget; writes
// that wait no longer than the write time-out. Every wait ends when the server stops.
class HttpServer::Connection final : public httplib::Stream {
public:
    Connection(int sock, int stopFd, const RemoteOptions& o) : sock_(sock), stopFd_(stopFd), o_(o) {}

    // The next request may take this many bytes and this long.
    void BeginRequest() {
        budget_ = o_.maxRequestBytes;
        deadline_ = Clock::now() + o_.requestDeadline;
    }

    // Bytes of a request are there or arrive within `idle`.
    bool WaitForRequest(milliseconds idle) { return begin_ != end_ || Wait(POLLIN, idle); }

    bool is_readable() const override { return begin_ != end_ || Wait(POLLIN, o_.readTimeout); }

    bool is_writable() const override {
        if (!Wait(POLLOUT, o_.writeTimeout)) return false;
        // A peer that has gone reads as end of stream.
        char c;
        const ssize_t n = ::recv(sock_, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        return n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR));
    }

    ssize_t read(char* ptr, size_t size) override {
        if (budget_ == 0) return -1;  // the request is longer than allowed
        if (begin_ == end_) {
            const auto now = Clock::now();
            if (now >= deadline_) return -1;
            const auto left = std::chrono::duration_cast<milliseconds>(deadline_ - now) + milliseconds(1);
            if (!Wait(POLLIN, std::min(o_.readTimeout, left))) return -1;
            ssize_t n;
            do n = ::recv(sock_, buffer_, sizeof buffer_, 0);
            while (n < 0 && errno == EINTR);
            if (n <= 0) return n;
            begin_ = 0;
            end_ = static_cast<size_t>(n);
        }
        const size_t n = std::min({size, end_ - begin_, budget_});
        std::memcpy(ptr, buffer_ + begin_, n);
        begin_ += n;
        budget_ -= n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        const auto until = Clock::now() + o_.writeTimeout;
        for (;;) {
            const ssize_t n = ::send(sock_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n >= 0) return n;
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
            const auto now = Clock::now();
            if (now >= until) return -1;
            if (!Wait(POLLOUT, std::chrono::duration_cast<milliseconds>(until - now) + milliseconds(1)))
                return -1;
        }
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { ip = PeerAddress(sock_, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage a{};
        socklen_t len = sizeof a;
        if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            ip = NumericAddress(a, len, port);
    }
    socket_t socket() const override { return sock_; }

private:
    // The socket is ready for `events` within `timeout`, and the server is not stopping.
    bool Wait(short events, milliseconds timeout) const {
        const auto until = Clock::now() + timeout;
        for (;;) {
            pollfd fds[2] = {{sock_, events, 0}, {stopFd_, POLLIN, 0}};
            const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
            const int n = ::poll(fds, 2, static_cast<int>(std::max<long long>(0, left)));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0 || (fds[1].revents & POLLIN)) return false;
            return (fds[0].revents & (events | POLLHUP | POLLERR)) != 0;
        }
    }

    const int sock_;
    const int stopFd_;
    const RemoteOptions& o_;
    char buffer_[4096];
    size_t begin_ = 0, end_ = 0;
    size_t budget_ = 0;
    Clock::time_point deadline_{};
};

// The task queue cpp-httplib hands each accepted connection to: one thread per connection being
// served, at most maxConnections of them, made as they are first needed. A connection beyond that is
// turned away on the spot instead of waiting in a queue.
class HttpServer::Workers final : public httplib::TaskQueue {
public:
    explicit Workers(int max) : max_(std::max(1, max)) {}

    void enqueue(std::function<void()> fn) override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (!stopping_ && busy_ < max_) {
                jobs_.push_back(std::move(fn));
                ++busy_;
                if (static_cast<int>(threads_.size()) < busy_) threads_.emplace_back([this] { Work(); });
                ready_.notify_one();
                return;
            }
        }
        tTurningAway = true;
        fn();
        tTurningAway = false;
    }

    void shutdown() override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            stopping_ = true;
        }
        ready_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

private:
    void Work() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;  // stopping, nothing left
            std::function<void()> job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            job();
            lock.lock();
            --busy_;
        }
    }

    const int max_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;  // touched by the listening thread only
    int busy_ = 0;                      // jobs waiting or running
    bool stopping_ = false;
};

HttpServer::HttpServer(const RemoteOptions& options) : options_(options) {
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    new_task_queue = [this] { return new Workers(options_.maxConnections); };
    set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    set_payload_max_length(options_.maxBody);
    set_keep_alive_max_count(kRequestsPerConnection);
}

HttpServer::~HttpServer() {
    Stop();
    if (stopFd_ >= 0) ::close(stopFd_);
}

bool HttpServer::Start(const std::string& address, int port, std::string* error, bool* portInUse) {
    errno = 0;
    int bound = port;
    if (port == 0) {
        bound = bind_to_any_port(address);
    } else if (!bind_to_port(address, port)) {
        bound = -1;
    }
    if (bound <= 0) {
        if (portInUse) *portInUse = errno == EADDRINUSE;
        if (errno == EADDRINUSE && error) {
            *error = "port " + std::to_string(port) + " is in use by another program";
            return false;
        }
        if (error) {
            *error = "cannot listen on " + address + ":" + std::to_string(port);
            if (errno != 0) *error += std::string(" (") + std::strerror(errno) + ")";
        }
        return false;
    }
    port_ = bound;
    listener_ = std::thread([this] { listen_after_bind(); });
    return true;
}

void HttpServer::Stop() {
    if (stopFd_ >= 0) {
        const uint64_t one = 1;
        (void)!::write(stopFd_, &one, sizeof one);
    }
    stop();
    if (listener_.joinable()) listener_.join();
}

int HttpServer::OpenConnections() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return open_;
}

bool HttpServer::process_and_close_socket(socket_t sock) {
    if (tTurningAway) {
        TurnAway(sock);
        return false;
    }
    int port = 0;
    const std::string address = PeerAddress(sock, port);
    {
        std::lock_guard<std::mutex> guard(mutex_);
        int& mine = perAddress_[address];
        if (mine >= options_.maxConnectionsPerAddress) {
            if (mine == 0) perAddress_.erase(address);
            TurnAway(sock);
            return false;
        }
        ++mine;
        ++open_;
    }
    // An answer goes out in more than one write (headers, body, events): without this the second
    // waits for the client's delayed acknowledgement of the first, some 40 ms each time.
    int yes = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    Serve(sock);
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    std::lock_guard<std::mutex> guard(mutex_);
    --open_;
    if (--perAddress_[address] <= 0) perAddress_.erase(address);
    return true;
}

void HttpServer::Serve(socket_t sock) {
    Connection c(sock, stopFd_, options_);
    for (int n = 0; n < kRequestsPerConnection && is_running(); ++n) {
        if (!c.WaitForRequest(n == 0 ? options_.readTimeout : options_.keepAlive)) return;
        c.BeginRequest();
        bool closed = false;
        if (!process_request(c, n + 1 == kRequestsPerConnection, closed, nullptr)) return;
        if (closed) return;
    }
}

}  // namespace pavo::remote
