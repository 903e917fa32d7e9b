// pavo-cli serve against virtual units, as a venue PC runs it: the addresses and PIN it prints, a
// script's edit through the service reaching the unit, the stop by signal, a unit that goes away, and
// what it refuses before it listens. Loopback only.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <thread>

#include "../remote/remote_client.h"
#include "cli_support.h"
#include "model/FieldCatalog.h"
#include "model/Model.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::clitest {
namespace {

using test::Answer;
using test::ApiClient;

// A TCP port on the loopback address, held (listening) while the object lives.
class HeldPort {
public:
    HeldPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 1) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n) != 0)
            ADD_FAILURE() << "no loopback port to hold";
        port_ = ntohs(a.sin_port);
    }
    ~HeldPort() { Release(); }
    void Release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A port nothing listens on (it was free a moment ago).
int FreePort() {
    HeldPort p;
    return p.port();
}

// What serve printed: the units, the addresses, the PIN; `port` taken from the first address.
struct Listening {
    std::vector<std::string> units, urls;
    std::string pin;
    int port = 0;
    nlohmann::json listen;  // --json: where it says it listens
};

// From the text form ("unit 0 DEV", "url  URL", "pin  NNNNNN") or the one JSON line; nothing until
// the PIN (the last) has come.
std::optional<Listening> ListeningOf(const std::string& out, bool json) {
    Listening l;
    if (json) {
        const size_t end = out.find('\n');
        if (end == std::string::npos) return std::nullopt;
        const nlohmann::json doc = nlohmann::json::parse(out.substr(0, end), nullptr, false);
        if (doc.is_discarded()) return Listening{};  // port 0: stopped at once, and the checks fail
        for (const auto& u : doc.value("units", nlohmann::json::array()))
            l.units.push_back(u.value("port", ""));
        l.urls = doc.value("urls", std::vector<std::string>{});
        l.pin = doc.value("pin", "");
        l.listen = doc.value("listen", nlohmann::json());
    } else {
        for (const std::string& line : CliRun{}.Lines(out)) {
            if (line.rfind("unit ", 0) == 0) l.units.push_back(line.substr(line.find(' ', 5) + 1));
            if (line.rfind("url  ", 0) == 0) l.urls.push_back(line.substr(5));
            if (line.rfind("pin  ", 0) == 0) l.pin = line.substr(5);
        }
        if (l.pin.empty()) return std::nullopt;
    }
    const std::string loopback = "http://127.0.0.1:";
    if (!l.urls.empty() && l.urls[0].rfind(loopback, 0) == 0)
        l.port = std::atoi(l.urls[0].c_str() + loopback.size());
    return l;
}

bool IsPin(const std::string& pin) {
    return pin.size() == 6 && pin.find_first_not_of("0123456789") == std::string::npos;
}

// Polls `done` until it holds or `ms` have passed.
bool Eventually(const std::function<bool()>& done, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(CliServe, ServesTheUnitUntilStoppedAndAScriptsEditReachesIt) {
    const FieldInfo& level = *FindField("Mic12.MicLevel");
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::string pin;  // printed: as given, or (empty) a fresh one
        bool json;
        int signal;
    };
    const Case cases[] = {
        {"PIN given, SIGTERM", {"--pin", "246810"}, "246810", false, SIGTERM},
        {"fresh PIN, --json, Ctrl-C", {"--json"}, "", true, SIGINT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Status polls A answered late: an edit waits behind one, so the stop comes before its frame
        // is written unless serve sends what it accepted before it closes the port.
        unit::UnitOptions latePolls;
        latePolls.slowCommand = 0x0C;
        latePolls.slowCommandMs = 600;
        auto u = StartUnit(latePolls);
        ScratchDir dir;
        const ProgramImage before = u->Unit().CurrentImage();
        const uint32_t code = ReadCode(level, BytesOf(before)) == 10 ? 12 : 10;

        std::optional<Listening> listening;
        Answer units, put, offPin;
        CliSetup setup;
        setup.whileRunning = [&](const CliRun& soFar) {
            listening = ListeningOf(soFar.out, c.json);
            if (!listening) return 0;
            if (listening->port == 0) return c.signal;  // not on loopback: stop it, the checks below fail
            // A wrong PIN is refused; the printed one opens a session, and the edit the script makes is
            // answered before the stop, which comes at once.
            ApiClient wrong(listening->port);
            offPin =
                wrong.Send("POST", "/api/session",
                           nlohmann::json{{"pin", listening->pin == "000000" ? "000001" : "000000"}}.dump());
            ApiClient api(listening->port);
            api.UseToken(api.Login(listening->pin));
            units = api.Get("/api/units");
            // The edit comes while a late poll is on the line, and the stop right after its answer.
            EXPECT_TRUE(Eventually(
                [&] {
                    const auto frames = u->Received();
                    return !frames.empty() && frames.back().frame.cmd == 0x0C;
                },
                10000));
            put = api.Put(level.path, "code:" + std::to_string(code));
            return c.signal;
        };
        std::vector<std::string> args = {"serve", "--port", u->DevicePath(), "--listen", "127.0.0.1:0"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = RunCli(args, dir.path(), 120000, setup);

        EXPECT_EQ(run.code, 0) << run.err;
        ASSERT_TRUE(listening) << run.out;
        EXPECT_EQ(listening->units, std::vector<std::string>{u->DevicePath()});
        EXPECT_EQ(listening->urls,
                  std::vector<std::string>{"http://127.0.0.1:" + std::to_string(listening->port) + "/"});
        if (c.json) {
            EXPECT_EQ(listening->listen,
                      (nlohmann::json{{"address", "127.0.0.1"}, {"port", listening->port}}));
        }
        if (c.pin.empty()) {
            EXPECT_TRUE(IsPin(listening->pin)) << listening->pin;
        } else {
            EXPECT_EQ(listening->pin, c.pin);
        }
        EXPECT_EQ(offPin.status, 401);
        ASSERT_EQ(units.status, 200) << units.text;
        EXPECT_EQ(units.body["units"][0]["name"], u->DevicePath());
        EXPECT_EQ(units.body["units"][0]["connected"], true);
        EXPECT_EQ(put.status, 200) << put.text;
        // The edit reached the unit, though the stop followed its answer at once; nothing else changed.
        ProgramImage expected = before;
        WriteCode(level, BytesOf(expected), code);
        EXPECT_TRUE(SameRecord(u->Unit().CurrentImage(), expected));
        // Nothing listens any more; the messages went to stderr.
        EXPECT_EQ(ApiClient(listening->port).Get("/api/units").status, 0);
        EXPECT_NE(run.err.find("stopped"), std::string::npos) << run.err;
    }
}

TEST(CliServe, SeveralUnitsEachUnderTheNumberItIsListedWith) {
    const FieldInfo& level = *FindField("Mic12.MicLevel");
    auto first = StartUnit();
    auto second = StartUnit();
    const ProgramImage firstBefore = first->Unit().CurrentImage();
    const ProgramImage secondBefore = second->Unit().CurrentImage();
    const uint32_t code = ReadCode(level, BytesOf(secondBefore)) == 10 ? 12 : 10;
    ScratchDir dir;
    std::optional<Listening> listening;
    Answer put;
    CliSetup setup;
    setup.whileRunning = [&](const CliRun& soFar) {
        listening = ListeningOf(soFar.out, false);
        if (!listening) return 0;
        ApiClient api(listening->port);
        api.UseToken(api.Login(listening->pin));
        put = api.Put(level.path + "?unit=1", "code:" + std::to_string(code));
        return SIGTERM;
    };
    const CliRun run = RunCli({"serve", "--port", first->DevicePath(), "--port", second->DevicePath(),
                               "--listen", "127.0.0.1:0", "--quiet"},
                              dir.path(), 120000, setup);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_TRUE(listening);
    EXPECT_EQ(listening->units, (std::vector<std::string>{first->DevicePath(), second->DevicePath()}));
    EXPECT_EQ(put.status, 200) << put.text;
    ProgramImage expected = secondBefore;
    WriteCode(level, BytesOf(expected), code);
    EXPECT_TRUE(SameRecord(second->Unit().CurrentImage(), expected));
    EXPECT_TRUE(SameRecord(first->Unit().CurrentImage(), firstBefore));
}

TEST(CliServe, AUnitThatGoesAwayIsShownOffLineAndNamed) {
    auto u = StartUnit();
    ScratchDir dir;
    bool shownOnLine = false, shownOffLine = false;
    CliSetup setup;
    setup.whileRunning = [&](const CliRun& soFar) {
        const std::optional<Listening> l = ListeningOf(soFar.out, false);
        if (!l) return 0;
        ApiClient api(l->port);
        api.UseToken(api.Login(l->pin));
        const auto connected = [&] { return api.Get("/api/units").body["units"][0]["connected"]; };
        shownOnLine = connected() == true;
        u->Unplug();
        shownOffLine = Eventually([&] { return connected() == false; }, 30000);
        return SIGTERM;
    };
    const CliRun run =
        RunCli({"serve", "--port", u->DevicePath(), "--listen", ":0"}, dir.path(), 120000, setup);
    EXPECT_TRUE(shownOnLine);
    EXPECT_TRUE(shownOffLine);
    // It served on until stopped, and ends as a lost link ends the other commands.
    EXPECT_EQ(run.code, 1) << run.err;
    // Named as it happened, besides the failure at the end.
    EXPECT_NE(run.err.find("pavo-cli: the link to the unit on " + u->DevicePath() + " failed"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("the remote page shows it off line"), std::string::npos) << run.err;
}

TEST(CliServe, RefusesWhatItCannotServeBeforeItListens) {
    auto u = StartUnit();
    unit::UnitOptions silent;
    silent.silent = true;
    auto quiet = StartUnit(silent);
    HeldPort held;
    const std::string free = "127.0.0.1:" + std::to_string(FreePort());
    const std::string device = u->DevicePath();
    struct Refusal {
        const char* what;
        std::vector<std::string> args;  // after "serve"
        int code;
        std::string says;  // in the one error line
        bool unitReached;  // the unit was looked up (the refusal came after it)
    };
    const Refusal refusals[] = {
        {"port in use",
         {"--port", device, "--listen", "127.0.0.1:" + std::to_string(held.port())},
         1,
         std::to_string(held.port()),
         true},
        {"PIN of five digits",
         {"--port", device, "--listen", free, "--pin", "12345"},
         2,
         "six digits",
         false},
        {"PIN with a letter",
         {"--port", device, "--listen", free, "--pin", "12a456"},
         2,
         "six digits",
         false},
        {"listen on a host name", {"--port", device, "--listen", "venue-pc:8470"}, 2, "--listen", false},
        {"listen port out of range",
         {"--port", device, "--listen", "127.0.0.1:65536"},
         2,
         "0 to 65535",
         false},
        {"no port", {"--listen", free}, 2, "serve needs --port", false},
        {"empty port", {"--port", "", "--listen", free}, 2, "the port is empty", false},
        {"an argument", {"--port", device, "--listen", free, "extra"}, 2, "usage: pavo-cli serve", false},
        {"no unit answers",
         {"--port", quiet->DevicePath(), "--listen", free},
         1,
         "no answer from a unit",
         false},
    };
    ScratchDir dir;
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        const size_t received = u->ReceivedCount();
        std::vector<std::string> args = {"serve"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        // Each ends by itself, well within the bound: no signal is ever sent.
        const CliRun run = RunCli(args, dir.path(), 60000);
        EXPECT_EQ(run.code, r.code) << run.err;
        ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
        EXPECT_EQ(run.ErrLines()[0].rfind("pavo-cli: ", 0), 0u);
        EXPECT_NE(run.err.find(r.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << "no address or PIN of a service that never listened";
        EXPECT_EQ(u->ReceivedCount() > received, r.unitReached);
    }
}

}  // namespace
}  // namespace pavo::clitest
