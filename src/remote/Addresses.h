#pragma once
// Where people reach the service: the URLs to show (and to put in a QR code), and which Host headers
// a request may carry. Only numeric addresses and "localhost" are taken as hosts: a page from some
// other site that points its own name at this computer (DNS rebinding) is refused.
#include <string>
#include <string_view>
#include <vector>

namespace pavo::remote {

// "http://ADDRESS:PORT/" for each address the service can be reached at: the loopback address for a
// loopback service; this computer's IPv4 addresses on its networks (up interfaces, loopback left out)
// for one listening on every address; the address itself otherwise.
std::vector<std::string> ServiceUrls(const std::string& listenAddress, int port);

// The addresses of this computer's networks (IPv4, up, not loopback).
std::vector<std::string> NetworkAddresses();

// A Host header naming this service by a numeric address or "localhost", with or without a port.
bool AcceptableHost(std::string_view host);

// A loopback address ("127.x.y.z", "::1", "localhost").
bool IsLoopback(std::string_view address);

}  // namespace pavo::remote
