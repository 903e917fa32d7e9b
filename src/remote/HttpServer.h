#pragma once
// The HTTP server under the remote service. cpp-httplib reads requests, routes them and writes
// responses; the connections are this class's own, so that a hostile network cannot wear the program
// down:
//  - at most maxConnections open at once and maxConnectionsPerAddress from one address: one more is
//    answered 503 and closed at once;
//  - a request (request line, headers and body together) of at most maxRequestBytes, read within
//    requestDeadline, with no silence longer than readTimeout; otherwise the connection ends;
//  - an idle keep-alive connection ends after keepAlive; a write that cannot go on for writeTimeout
//    ends it;
//  - Stop ends every wait at once.
// The listening socket is not shared with other processes (no SO_REUSEPORT): a port in use is an
// error, never a second server answering half the requests.
#include <httplib.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "remote/RemoteOptions.h"

namespace pavo::remote {

class HttpServer : public httplib::Server {
public:
    explicit HttpServer(const RemoteOptions& options);
    ~HttpServer() override;

    // Binds the address and starts listening on a thread of its own. False with `error` when the
    // address cannot be used (an address this computer does not have), and `portInUse` when another
    // socket holds the port.
    bool Start(const std::string& address, int port, std::string* error, bool* portInUse = nullptr);
    int Port() const { return port_; }
    void Stop();
    int OpenConnections() const;

private:
    class Connection;
    class Workers;

    bool process_and_close_socket(socket_t sock) override;
    void Serve(socket_t sock);

    const RemoteOptions options_;
    int stopFd_ = -1;  // readable once Stop has begun: every wait watches it
    int port_ = 0;
    std::thread listener_;
    mutable std::mutex mutex_;
    int open_ = 0;
    std::map<std::string, int> perAddress_;
};

}  // namespace pavo::remote
