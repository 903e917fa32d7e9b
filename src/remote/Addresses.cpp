#include "remote/Addresses.h"
#include "model/Letters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>

namespace pavo::remote {

namespace {

bool IsIpv4(const std::string& text) {
    in_addr a{};
    return ::inet_pton(AF_INET, text.c_str(), &a) == 1;
}
bool IsIpv6(const std::string& text) {
    in6_addr a{};
    return ::inet_pton(AF_INET6, text.c_str(), &a) == 1;
}

bool IsPort(std::string_view p) {
    return !p.empty() && p.size() <= 5 &&
           std::all_of(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string UrlHost(const std::string& address) {
    return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

}  // namespace

std::vector<std::string> NetworkAddresses() {
    std::vector<std::string> out;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
        if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET_ADDRSTRLEN] = "";
        const auto* a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
        if (::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text) &&
            std::find(out.begin(), out.end(), text) == out.end())
            out.emplace_back(text);
    }
    ::freeifaddrs(list);
    return out;
}

std::vector<std::string> ServiceUrls(const std::string& listenAddress, int port) {
    const std::string tail = ":" + std::to_string(port) + "/";
    std::vector<std::string> urls;
    if (listenAddress == "0.0.0.0" || listenAddress == "::" || listenAddress.empty()) {
        for (const std::string& a : NetworkAddresses()) urls.push_back("http://" + a + tail);
        if (urls.empty()) urls.push_back("http://127.0.0.1" + tail);
    } else {
        urls.push_back("http://" + UrlHost(listenAddress) + tail);
    }
    return urls;
}

bool AcceptableHost(std::string_view host) {
    std::string_view name = host;
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        if (close == std::string_view::npos) return false;
        name = host.substr(1, close - 1);
        const std::string_view rest = host.substr(close + 1);
        if (!rest.empty() && !(rest.front() == ':' && IsPort(rest.substr(1)))) return false;
        return IsIpv6(std::string(name));
    }
    if (const size_t colon = host.find(':'); colon != std::string_view::npos) {
        if (!IsPort(host.substr(colon + 1))) return false;
        name = host.substr(0, colon);
    }
    return SameLetters(name, "localhost") || IsIpv4(std::string(name));
}

bool IsLoopback(std::string_view address) {
    return address.rfind("127.", 0) == 0 || address == "::1" || SameLetters(address, "localhost");
}

}  // namespace pavo::remote
