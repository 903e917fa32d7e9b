#include "remote/Serve.h"

#include <arpa/inet.h>

#include <charconv>
#include <chrono>
#include <thread>

#include "remote/DirectExecutor.h"

namespace pavo::remote {

namespace {

bool ParsePort(const std::string& text, int& port) {
    int value = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 65535) return false;
    port = value;
    return true;
}

bool ValidAddress(const std::string& text) {
    in_addr parsed{};
    return text == "localhost" || ::inet_pton(AF_INET, text.c_str(), &parsed) == 1;
}

}  // namespace

bool ParseListen(const std::string& text, RemoteOptions& options, std::string* error) {
    const size_t colon = text.rfind(':');
    std::string address = colon == std::string::npos ? text : text.substr(0, colon);
    int port = options.port;
    if (colon != std::string::npos && !ParsePort(text.substr(colon + 1), port)) {
        if (error) *error = "the port in \"" + text + "\" must be a number from 0 to 65535";
        return false;
    }
    if (address.empty()) address = options.address;
    if (!ValidAddress(address)) {
        if (error) *error = "\"" + address + "\" is no IPv4 address (such as 0.0.0.0 or 192.168.1.20)";
        return false;
    }
    options.address = address == "localhost" ? "127.0.0.1" : address;
    options.port = port;
    return true;
}

bool Serve(std::vector<ServedUnit> units, const RemoteOptions& options, const std::atomic<bool>& stop,
           const std::function<void(const RemoteService&)>& started, StartError* error) {
    DirectExecutor executor;  // outlives the service: declared first
    std::unique_ptr<RemoteService> service = StartRemoteService(std::move(units), options, &executor, error);
    if (!service) return false;
    if (started) started(*service);
    while (!stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    service->Stop();
    return true;
}

}  // namespace pavo::remote
