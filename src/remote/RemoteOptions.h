#pragma once
// What a remote service is started with: where it listens, its PIN, and the limits that keep a
// hostile network from wearing it down. The defaults are the program's: loopback only, a fresh PIN.
#include <chrono>
#include <cstddef>
#include <string>

namespace pavo::remote {

struct RemoteOptions {
    // "127.0.0.1" (this computer only), "0.0.0.0" (every network of this computer), or one address.
    std::string address = "127.0.0.1";
    int port = 8470;  // 0: any free port (RemoteService::Port() tells which)
    std::string pin;  // six digits; empty: a fresh random one

    // Wrong PINs from one address before it is locked out, and for how long.
    int lockoutAfter = 5;
    std::chrono::milliseconds lockoutTime{30000};

    size_t maxBody = 4096;           // request body, bytes (413 beyond)
    size_t maxRequestBytes = 16384;  // request line, headers and body together (the connection ends)
    int maxConnections = 64;         // open at once; more are answered 503 and closed
    int maxConnectionsPerAddress = 16;
    int maxEventStreams = 48;                          // of them, event streams (503 beyond)
    int maxSessions = 64;                              // the least recently seen goes first
    std::chrono::milliseconds readTimeout{5000};       // silence while a request is being read
    std::chrono::milliseconds requestDeadline{10000};  // a whole request, however slowly it trickles in
    std::chrono::milliseconds writeTimeout{5000};      // a client that reads nothing
    std::chrono::milliseconds keepAlive{5000};         // idle between requests
    std::chrono::milliseconds heartbeat{15000};        // a comment on a quiet event stream
};

}  // namespace pavo::remote
