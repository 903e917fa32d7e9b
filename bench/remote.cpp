// The remote service against a virtual unit on line, paced like a real line at 115200 baud, each
// figure beside a reference measured in the same run:
//  - an edit sent over HTTP until its frame has reached the unit, against the same edit made in the
//    program's model (a page's edit) and against the exchange cycle (the goal: the median within one
//    cycle + 5 ms);
//  - request latency against fetching a page asset from memory (the HTTP round trip itself);
//  - a change made in the program until the last of 50 open pages has it, against one page (the goal:
//    the last within 50 ms);
//  - the CPU a running service with 5 open pages costs while nothing changes, against the same
//    process without the service (the goal: at most 1 % of a core).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "online_unit.h"
#include "remote/RemoteService.h"
#include "remote_client.h"
#include "virtual_unit/UnitLine.h"

namespace {

using namespace pavo;
using Clock = std::chrono::steady_clock;
using test::ApiClient;
using test::EventReader;
using test::StreamEvent;

constexpr char kPin[] = "135790";
constexpr char kPath[] = "Mic12.MicLevel";

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// This process's CPU use over `seconds`, in % of one core.
double CpuPercent(double seconds) {
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return 100.0 * (ProcessCpuSeconds() - cpu0) / std::chrono::duration<double>(Clock::now() - t0).count();
}

struct Bench {
    unit::UnitLine line{[] {
        unit::UnitOptions o;
        o.wireBaud = 115200;
        return o;
    }()};
    test::OnlineUnit online;
    int next = 0;  // alternates the level, so that every edit changes it

    int NextCode() { return (++next % 2) ? 10 : 30; }
    bool UnitHolds(int code, int timeoutMs = 5000) {
        return test::OnlineUnit::WaitFor([&] { return line.Unit().CurrentImage().Mic12.MicLevel == code; },
                                         timeoutMs);
    }
    // As a page edits: the model under its lock; the change scanner sends it.
    void EditInProgram(int code) {
        Model& m = online.unit.model();
        m.Edit([&] { m.current.Mic12.MicLevel = static_cast<uint8_t>(code); });
        m.RecordsReplaced();
    }
    // Median of `n` edits, from `edit` until the unit holds the new level.
    double EditToFrame(const std::function<void(int)>& edit, int n = 40) {
        std::vector<double> ms;
        for (int i = 0; i < n; ++i) {
            const int code = NextCode();
            const auto t0 = Clock::now();
            edit(code);
            if (!UnitHolds(code)) return -1;
            ms.push_back(Ms(Clock::now() - t0));
            std::this_thread::sleep_for(
                std::chrono::milliseconds(7 * (i % 5)));  // not in step with the cycle
        }
        return Median(ms);
    }
};

// Median and largest of the time from each of `n` changes made in the program until every reader has
// it, and the median until the first reader has it.
struct Delivery {
    double firstMs = -1, lastMs = -1, worstLastMs = -1;
};
Delivery FanOut(Bench& b, std::vector<std::unique_ptr<EventReader>>& readers, int n) {
    std::vector<double> first, last;
    for (int i = 0; i < n; ++i) {
        const int code = b.NextCode();
        std::vector<size_t> from;
        for (auto& r : readers) from.push_back(r->Count());
        const auto t0 = Clock::now();
        b.EditInProgram(code);
        Clock::time_point earliest = Clock::time_point::max(), latest{};
        for (size_t k = 0; k < readers.size(); ++k) {
            StreamEvent e;
            const bool seen = readers[k]->WaitForEvent(
                "fields",
                [&](const test::json& d) {
                    return d.contains("fields") && d["fields"].contains(kPath) &&
                           d["fields"][kPath].value("code", -1) == code;
                },
                5000, from[k], &e);
            if (!seen) return {};
            earliest = std::min(earliest, e.at);
            latest = std::max(latest, e.at);
        }
        first.push_back(Ms(earliest - t0));
        last.push_back(Ms(latest - t0));
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + 7 * (i % 5)));
    }
    return {Median(first), Median(last), *std::max_element(last.begin(), last.end())};
}

std::vector<std::unique_ptr<EventReader>> OpenPages(int port, const std::string& token, int n) {
    std::vector<std::unique_ptr<EventReader>> readers;
    for (int i = 0; i < n; ++i) readers.push_back(std::make_unique<EventReader>(port, token, "?meters=0"));
    for (auto& r : readers)
        if (!r->WaitForEvent(
                "state", [](const test::json&) { return true; }, 10000))
            return {};
    return readers;
}

}  // namespace

int main() {
    Bench b;
    if (!b.line.Start() || !b.online.Connect(b.line.DevicePath())) {
        std::fprintf(stderr, "the virtual unit did not come on line\n");
        return 1;
    }

    // The exchange cycle, and the CPU of this process (engine and virtual unit) without a service.
    const size_t frames0 = b.line.ReceivedCount();
    const double idleWithout = CpuPercent(3.0);
    const double cycleMs = 3000.0 / double(b.line.ReceivedCount() - frames0);

    remote::RemoteOptions options;
    options.port = 0;
    options.pin = kPin;
    options.maxEventStreams = 64;  // the fan-out opens 50 pages from one address
    options.maxConnections = 80;
    options.maxConnectionsPerAddress = 80;
    remote::StartError error;
    auto service = remote::StartRemoteService({{&b.online.unit, "virtual"}}, options, nullptr, &error);
    if (!service) {
        std::fprintf(stderr, "the service did not start: %s\n", error.text.c_str());
        return 1;
    }
    ApiClient api(service->Port());
    const std::string token = api.Login(kPin);
    api.UseToken(token);

    // An edit until its frame is on the line.
    const double localMs = b.EditToFrame([&](int code) { b.EditInProgram(code); });
    const double httpMs = b.EditToFrame([&](int code) {
        if (api.Put(kPath, "code:" + std::to_string(code)).status != 200)
            std::fprintf(stderr, "PUT refused\n");
    });
    std::printf("exchange cycle                 %7.2f ms\n", cycleMs);
    std::printf("edit -> frame, in the program  %7.2f ms (median; reference)\n", localMs);
    std::printf(
        "edit -> frame, over HTTP       %7.2f ms (median) = %.2f x the program's, %.2f cycles;"
        " goal <= cycle + 5 ms: %s\n",
        httpMs, httpMs / localMs, httpMs / cycleMs, httpMs <= cycleMs + 5 ? "met" : "MISSED");

    // Request latency.
    auto latency = [&](const std::function<int()>& request, int n = 200) {
        std::vector<double> ms;
        for (int i = 0; i < n; ++i) {
            const auto t0 = Clock::now();
            if (request() != 200) return -1.0;
            ms.push_back(Ms(Clock::now() - t0));
        }
        return Median(ms);
    };
    const double assetMs = latency([&] { return api.Get("/pavo.svg").status; });
    std::printf("GET an asset                   %7.3f ms (median; reference)\n", assetMs);
    const std::pair<const char*, std::function<int()>> requests[] = {
        {"GET one field", [&] { return api.Get(std::string("/api/fields/") + kPath).status; }},
        {"GET the state", [&] { return api.Get("/api/state").status; }},
        {"GET one curve", [&] { return api.Get("/api/curves/2").status; }},
        {"PUT one field", [&] { return api.Put(kPath, "code:" + std::to_string(b.NextCode())).status; }},
    };
    for (const auto& [what, request] : requests) {
        const double ms = latency(request);
        std::printf("%-30s %7.3f ms (median) = %.1f x the asset\n", what, ms, ms / assetMs);
    }

    // A change made in the program until the pages have it.
    {
        auto one = OpenPages(service->Port(), token, 1);
        const Delivery single = FanOut(b, one, 20);
        one.clear();
        auto fifty = OpenPages(service->Port(), token, 50);
        if (fifty.empty() || single.lastMs < 0) {
            std::fprintf(stderr, "the pages did not open or see the changes\n");
            return 1;
        }
        const Delivery many = FanOut(b, fifty, 20);
        std::printf("program change -> 1 page       %7.2f ms (median; reference)\n", single.lastMs);
        std::printf(
            "program change -> 50 pages     first %.2f ms, last %.2f ms (medians) = %.2f x one page;"
            " worst last %.2f ms; goal <= 50 ms: %s\n",
            many.firstMs, many.lastMs, many.lastMs / single.lastMs, many.worstLastMs,
            many.worstLastMs <= 50 ? "met" : "MISSED");
    }

    // What a running service with open pages costs while nothing changes.
    {
        auto five = OpenPages(service->Port(), token, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const double idleWith = CpuPercent(3.0);
        std::printf("idle CPU, no service           %7.2f %% of a core (reference)\n", idleWithout);
        std::printf(
            "idle CPU, service + 5 pages    %7.2f %% of a core = %.2f x, the service's share %.2f %%;"
            " goal <= 1 %%: %s\n",
            idleWith, idleWithout > 0 ? idleWith / idleWithout : 0.0, idleWith - idleWithout,
            idleWith - idleWithout <= 1.0 ? "met" : "MISSED");
    }
    return 0;
}
