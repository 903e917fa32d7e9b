// The service as a host without a screen runs it: one call that serves a unit on line until its stop
// flag is set, and the --listen text it is given.
#include <gtest/gtest.h>

#include <future>

#include "remote/Serve.h"
#include "remote_fixture.h"

namespace pavo {
namespace {

using remote::RemoteOptions;
using remote::StartError;
using test::ApiClient;

TEST(RemoteListen, ListenTextSetsTheAddressAndPortOrIsRefused) {
    struct Case {
        const char* text;
        bool ok;
        const char* address;  // after it (default 127.0.0.1)
        int port;             // after it (default 8470)
    };
    const Case cases[] = {
        {"0.0.0.0:9000", true, "0.0.0.0", 9000},     {"192.168.1.20", true, "192.168.1.20", 8470},
        {":9001", true, "127.0.0.1", 9001},          {"localhost:0", true, "127.0.0.1", 0},
        {"0.0.0.0:65536", false, "127.0.0.1", 8470}, {"0.0.0.0:-1", false, "127.0.0.1", 8470},
        {"0.0.0.0:80x", false, "127.0.0.1", 8470},   {"0.0.0.0:", false, "127.0.0.1", 8470},
        {"venue-pc:8470", false, "127.0.0.1", 8470}, {"300.1.1.1:8470", false, "127.0.0.1", 8470},
    };
    for (const Case& c : cases) {
        RemoteOptions options;
        std::string error;
        EXPECT_EQ(remote::ParseListen(c.text, options, &error), c.ok) << c.text;
        EXPECT_EQ(options.address, c.address) << c.text;
        EXPECT_EQ(options.port, c.port) << c.text;
        EXPECT_EQ(error.empty(), c.ok) << c.text << ": " << error;
    }
}

class RemoteServe : public test::RemoteFixture {};

TEST_F(RemoteServe, ServesTheUnitUntilStoppedAndSaysWhyItCannotStart) {
    Start();  // the fixture's own service holds a port for the case of a port in use
    RemoteOptions options = TestOptions();
    std::atomic<bool> stop{false};
    std::promise<int> listening;
    std::string pin;
    auto served = std::async(std::launch::async, [&] {
        StartError error;
        const bool ok = remote::Serve(
            {{&online.unit, "virtual"}}, options, stop,
            [&](const remote::RemoteService& s) {
                pin = s.Pin();
                listening.set_value(s.Port());
            },
            &error);
        return ok;
    });
    auto port = listening.get_future();
    ASSERT_EQ(port.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const int servedPort = port.get();
    EXPECT_EQ(pin, test::kPin);

    // A script edits through it: the model, the unit and the history have the edit.
    ApiClient api(servedPort);
    api.UseToken(api.Login(test::kPin));
    const size_t steps = online.unit.history().UndoDepth();
    const uint32_t code = ProgramCode("Mic12.MicLevel") == 10 ? 12 : 10;
    EXPECT_EQ(api.Put("Mic12.MicLevel", "code:" + std::to_string(code)).status, 200);
    EXPECT_EQ(ProgramCode("Mic12.MicLevel"), code);
    EXPECT_TRUE(UnitHas("Mic12.MicLevel", code));
    EXPECT_EQ(online.unit.history().UndoDepth(), steps + 1);

    // The flag ends it, and nothing listens afterwards.
    stop = true;
    ASSERT_EQ(served.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(served.get());
    EXPECT_EQ(ApiClient(servedPort).Get("/api/units").status, 0);

    // It cannot start: it says why, calls nothing and returns at once, whatever the flag.
    struct Refusal {
        const char* what;
        std::string address;
        int port;
        std::string pin;
        StartError::Kind kind;
        std::string named;  // in the text
    };
    const Refusal refusals[] = {
        {"port in use", "127.0.0.1", service->Port(), "", StartError::Kind::PortInUse,
         std::to_string(service->Port())},
        {"PIN of five digits", "127.0.0.1", 0, "12345", StartError::Kind::Options, "six digits"},
        {"PIN of letters", "127.0.0.1", 0, "12345a", StartError::Kind::Options, "six digits"},
        {"address not of this computer", "192.0.2.1", 0, "", StartError::Kind::CannotListen, "192.0.2.1"},
    };
    std::atomic<bool> never{false};
    for (const Refusal& r : refusals) {
        RemoteOptions o;
        o.address = r.address;
        o.port = r.port;
        o.pin = r.pin;
        StartError error;
        bool called = false;
        EXPECT_FALSE(remote::Serve(
            {{&online.unit, "virtual"}}, o, never, [&](const remote::RemoteService&) { called = true; },
            &error))
            << r.what;
        EXPECT_FALSE(called) << r.what;
        EXPECT_EQ(error.kind, r.kind) << r.what;
        EXPECT_NE(error.text.find(r.named), std::string::npos) << r.what << ": " << error.text;
    }
}

}  // namespace
}  // namespace pavo
