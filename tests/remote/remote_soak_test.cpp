// The service under a bounded load over loopback: twenty event streams stay open while five clients
// send 10,000 requests, valid and invalid, as fast as they are answered. Every request gets its own
// status, every accepted edit reaches the unit, every stream ends with the last values, and nothing
// piles up: connections and streams close, sessions stay as many as the clients.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>

#include "remote_fixture.h"

namespace pavo {
namespace {

using test::Answer;
using test::ApiClient;
using test::EventReader;
using test::json;
using test::StreamEvent;

constexpr int kStreams = 20;
constexpr int kRequests = 10000;
// One field per client, so that each field's last accepted value is known.
const char* const kFields[] = {"Mic12.MicLevel", "Mic34.MicLevel", "EchoA.EffectLevel", "EchoB.EffectLevel",
                               "Reverb.EffectLevel"};
constexpr int kClients = std::size(kFields);
// Far beyond what the load needs on a loaded machine; reached, the test fails rather than hangs.
constexpr auto kTimeLimit = std::chrono::seconds(120);

// The codes a stream's events leave in `paths`, the last event naming a path deciding.
std::map<std::string, int> LastCodes(const std::vector<StreamEvent>& events) {
    std::map<std::string, int> codes;
    for (const StreamEvent& e : events) {
        const char* key = e.name == "state" ? "panel" : e.name == "fields" ? "fields" : nullptr;
        if (!key || !e.data.is_object() || !e.data.contains(key)) continue;
        for (const char* path : kFields)
            if (e.data[key].contains(path)) codes[path] = e.data[key][path].value("code", -1);
    }
    return codes;
}

struct Tally {
    int sent = 0;
    int accepted = 0;  // edits answered 200
    int wrongStatus = 0;
    std::string firstWrong;
    int lastCode = -1;
};

class RemoteSoak : public test::RemoteFixture {};

TEST_F(RemoteSoak, StreamsAndRequestsOverLoopbackLeaveTheUnitAndEveryPageAgreeing) {
    remote::RemoteOptions options = TestOptions();
    options.maxConnectionsPerAddress = options.maxConnections;  // every client comes from 127.0.0.1
    Start({}, options);
    const int port = service->Port();

    std::vector<std::unique_ptr<EventReader>> readers;
    for (int i = 0; i < kStreams; ++i) readers.push_back(std::make_unique<EventReader>(port, token));
    for (auto& r : readers)
        ASSERT_TRUE(r->WaitForEvent(
            "state", [](const json&) { return true; }, 20000));
    ASSERT_EQ(service->OpenEventStreams(), kStreams);

    const auto started = std::chrono::steady_clock::now();
    const auto deadline = started + kTimeLimit;
    std::atomic<int> mostConnections{0};
    std::atomic<bool> running{true};
    std::thread watch([&] {
        while (running.load()) {
            int seen = mostConnections.load();
            const int now = service->OpenConnections();
            while (now > seen && !mostConnections.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });

    std::vector<Tally> tallies(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            const FieldInfo& f = *FindField(kFields[c]);
            const std::string put = std::string("/api/fields/") + kFields[c];
            ApiClient api(port);
            api.UseToken(token);
            ApiClient stranger(port);
            std::mt19937 random(1234 + c);
            std::uniform_int_distribution<int> code(int(f.min), int(f.max));
            Tally& t = tallies[c];
            for (int n = c; n < kRequests && std::chrono::steady_clock::now() < deadline; n += kClients) {
                const int kind = int(random() % 100);
                const int value = code(random);
                Answer a;
                int expected = 200;
                if (kind < 35) {
                    a = api.Put(kFields[c], "code:" + std::to_string(value));
                } else if (kind < 45) {
                    a = api.Put(kFields[c], "code:" + std::to_string(f.max + 1));
                    expected = 422;
                } else if (kind < 50) {
                    a = api.Send("PUT", put, "value=3");
                    expected = 400;
                } else if (kind < 55) {
                    a = api.Put("Mic12.Nothing", 1);
                    expected = 404;
                } else if (kind < 65) {
                    a = api.Get("/api/state");
                } else if (kind < 80) {
                    a = api.Get("/api/curves/" + std::to_string(value % 18));
                } else if (kind < 95) {
                    a = api.Get(put);
                } else {
                    a = stranger.Get("/api/state");
                    expected = 401;
                }
                ++t.sent;
                if (a.status != expected) {
                    if (t.wrongStatus++ == 0)
                        t.firstWrong =
                            "request " + std::to_string(n) + ": " + std::to_string(a.status) + " " + a.text;
                } else if (kind < 35) {
                    ++t.accepted;
                    t.lastCode = value;
                }
            }
        });
    }
    for (auto& c : clients) c.join();
    running = false;
    watch.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d requests in %.1f s, at most %d connections open\n", kRequests, seconds,
                mostConnections.load());

    int sent = 0;
    for (int c = 0; c < kClients; ++c) {
        const Tally& t = tallies[c];
        sent += t.sent;
        EXPECT_EQ(t.wrongStatus, 0) << kFields[c] << ", first " << t.firstWrong;
        EXPECT_GT(t.accepted, 0) << kFields[c];
    }
    ASSERT_EQ(sent, kRequests) << "the time limit ended the load";
    // The streams, and per client a keep-alive connection and one that is refused with its request.
    EXPECT_LE(mostConnections.load(), kStreams + 2 * kClients + 2);

    // The model holds each client's last accepted value, the unit has everything the model has, and
    // every page ends showing those values.
    for (int c = 0; c < kClients; ++c) {
        EXPECT_EQ(int(ProgramCode(kFields[c])), tallies[c].lastCode) << kFields[c];
        EXPECT_TRUE(UnitHas(kFields[c], tallies[c].lastCode, 30000)) << kFields[c];
    }
    ASSERT_TRUE(test::OnlineUnit::WaitFor([&] { return online.AllSent(); }, 30000));
    const ProgramImage unitImage = line->Unit().CurrentImage();
    EXPECT_TRUE(model().Edit([&] { return SameRecord(model().current, unitImage); }));
    std::map<std::string, int> expected;
    for (int c = 0; c < kClients; ++c) expected[kFields[c]] = tallies[c].lastCode;
    for (size_t i = 0; i < readers.size(); ++i)
        EXPECT_TRUE(
            readers[i]->WaitFor([&](const auto& events) { return LastCodes(events) == expected; }, 20000))
            << "stream " << i;

    // Nothing stays behind: the streams and connections close with their clients; the sessions are
    // the logins, not the requests.
    EXPECT_LE(service->Clients().size(), 1u);
    readers.clear();
    client.reset();
    EXPECT_TRUE(test::OnlineUnit::WaitFor(
        [&] { return service->OpenEventStreams() == 0 && service->OpenConnections() == 0; }, 20000))
        << service->OpenEventStreams() << " streams, " << service->OpenConnections() << " connections";
}

}  // namespace
}  // namespace pavo
