#include "remote/RemoteService.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include <nlohmann/json.hpp>

#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/Letters.h"
#include "model/Model.h"
#include "remote/Addresses.h"
#include "remote/Assets.h"
#include "remote/ChangeFeed.h"
#include "remote/DirectExecutor.h"
#include "remote/FieldEdits.h"
#include "remote/HttpServer.h"
#include "remote/ProgramNames.h"
#include "remote/Secrets.h"
#include "remote/UnitView.h"
#include "unit/Unit.h"

namespace pavo::remote {

namespace {

using httplib::Request;
using httplib::Response;
using nlohmann::json;
using HandlerResponse = httplib::Server::HandlerResponse;

constexpr char kCookie[] = "pavo_session";

void Reply(Response& res, int status, const json& body) {
    res.status = status;
    res.set_content(Dump(body), "application/json");
}

void Error(Response& res, int status, const std::string& message) {
    Reply(res, status, {{"error", message}});
}

// The session token a request carries: "Authorization: Bearer <token>" (scripts) or the cookie
// (the page).
std::string TokenOf(const Request& req) {
    const std::string auth = req.get_header_value("Authorization");
    if (StartsWithLetters(auth, "Bearer ")) {
        std::string token = auth.substr(7);
        token.erase(0, token.find_first_not_of(' '));
        return token;
    }
    const std::string cookies = req.get_header_value("Cookie");
    const std::string key = std::string(kCookie) + "=";
    for (size_t at = 0; at < cookies.size();) {
        const size_t end = std::min(cookies.find(';', at), cookies.size());
        std::string_view part(cookies.data() + at, end - at);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        if (part.rfind(key, 0) == 0) return std::string(part.substr(key.size()));
        at = end + 1;
    }
    return {};
}

bool ChangesState(const Request& req) {
    return req.method == "POST" || req.method == "PUT" || req.method == "DELETE";
}

// The request's JSON object body; none (and the response written) when there is no such body.
std::optional<json> ObjectBody(const Request& req, Response& res) {
    json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        Error(res, 400, "the body is not a JSON object");
        return std::nullopt;
    }
    return body;
}

int ExecStatus(ExecResult r) {
    switch (r) {
        case ExecResult::Busy:
            return 409;
        case ExecResult::OffLine:
            return 409;
        case ExecResult::Unavailable:
            return 503;
        case ExecResult::Done:
            break;
    }
    return 200;
}

std::string ExecMessage(ExecResult r) {
    switch (r) {
        case ExecResult::Busy:
            return "a transfer with the unit is running; nothing was changed, try again when it has ended";
        case ExecResult::OffLine:
            return "the unit is off line";
        case ExecResult::Unavailable:
            return "the program did not take the edit in time; nothing was changed";
        case ExecResult::Done:
            break;
    }
    return {};
}

}  // namespace

struct RemoteService::Impl {
    Impl(std::vector<ServedUnit> served, const RemoteOptions& o, RemoteExecutor* exec, std::string pin)
        : units(std::move(served)),
          options(o),
          executor(exec ? exec : &direct),
          sessions(std::move(pin), o.lockoutAfter, o.lockoutTime, o.maxSessions),
          feed(UnitPointers(), o.maxEventStreams),
          server(o) {}

    std::vector<Unit*> UnitPointers() const {
        std::vector<Unit*> out;
        for (const ServedUnit& u : units) out.push_back(u.unit);
        return out;
    }

    void Routes();
    HandlerResponse Screen(const Request& req, Response& res);
    // The unit a request names with ?unit=N (the first by default); none, and 404 written, for another.
    std::optional<int> UnitOf(const Request& req, Response& res) const;

    void Session(const Request& req, Response& res);
    void EndSession(const Request& req, Response& res);
    void State(const Request& req, Response& res);
    void Units(Response& res);
    void AllFields(const Request& req, Response& res);
    void OneField(const Request& req, Response& res);
    void PutField(const Request& req, Response& res);
    void Recall(const Request& req, Response& res);
    void Curves(const Request& req, Response& res);
    void Events(const Request& req, Response& res);

    std::vector<ServedUnit> units;
    RemoteOptions options;
    DirectExecutor direct;
    RemoteExecutor* executor;
    Sessions sessions;
    ChangeFeed feed;
    HttpServer server;
    bool stopped = false;
};

void RemoteService::Impl::Routes() {
    // Every response: nothing framed, sniffed, cached or referred; scripts and styles from this
    // service only. No Access-Control-* header is ever sent: other sites get no access.
    server.set_default_headers({
        {"Cache-Control", "no-store"},
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "no-referrer"},
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
         "base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
    });
    server.set_pre_routing_handler([this](const Request& req, Response& res) { return Screen(req, res); });
    server.set_error_handler(httplib::Server::HandlerWithResponse([](const Request&, Response& res) {
        if (!res.body.empty()) return HandlerResponse::Unhandled;
        const char* what = res.status == 404   ? "not found"
                           : res.status == 413 ? "the body is larger than allowed"
                           : res.status == 400 ? "bad request"
                                               : "the request was refused";
        Error(res, res.status, what);
        return HandlerResponse::Handled;
    }));
    server.set_exception_handler([](const Request&, Response& res, std::exception_ptr) {
        Error(res, 500, "internal error; nothing was changed");
    });

    for (const Asset& a : Assets()) {
        server.Get(std::string(a.path), [&a](const Request&, Response& res) {
            res.set_content(a.body.data(), a.body.size(), std::string(a.type).c_str());
        });
    }
    if (const Asset* index = FindAsset("/index.html")) {
        server.Get("/", [index](const Request&, Response& res) {
            res.set_content(index->body.data(), index->body.size(), std::string(index->type).c_str());
        });
    }
    server.Post("/api/session", [this](const Request& req, Response& res) { Session(req, res); });
    server.Delete("/api/session", [this](const Request& req, Response& res) { EndSession(req, res); });
    server.Get("/api/units", [this](const Request&, Response& res) { Units(res); });
    server.Get("/api/state", [this](const Request& req, Response& res) { State(req, res); });
    server.Get("/api/fields", [this](const Request& req, Response& res) { AllFields(req, res); });
    server.Get("/api/fields/(.+)", [this](const Request& req, Response& res) { OneField(req, res); });
    server.Put("/api/fields/(.+)", [this](const Request& req, Response& res) { PutField(req, res); });
    server.Post("/api/recall", [this](const Request& req, Response& res) { Recall(req, res); });
    server.Get("/api/curves", [this](const Request& req, Response& res) { Curves(req, res); });
    server.Get("/api/curves/([0-9]+)", [this](const Request& req, Response& res) { Curves(req, res); });
    server.Get("/api/events", [this](const Request& req, Response& res) { Events(req, res); });
}

// Before any route: the host must be named by address, state changes must come from this service's
// own page (or a script, which sends no Origin) as JSON, and the API needs a session.
HandlerResponse RemoteService::Impl::Screen(const Request& req, Response& res) {
    if (!AcceptableHost(req.get_header_value("Host"))) {
        Error(res, 403, "open the page by the address shown in the program");
        return HandlerResponse::Handled;
    }
    if (ChangesState(req)) {
        const std::string origin = req.get_header_value("Origin");
        if (!origin.empty() && origin != "http://" + req.get_header_value("Host")) {
            Error(res, 403, "requests from other sites are refused");
            return HandlerResponse::Handled;
        }
        if (req.method != "DELETE" &&
            !StartsWithLetters(req.get_header_value("Content-Type"), "application/json")) {
            Error(res, 415, "send the body as application/json");
            return HandlerResponse::Handled;
        }
    }
    const bool api = req.path == "/api" || req.path.rfind("/api/", 0) == 0;
    const bool opening = req.path == "/api/session" && req.method == "POST";
    if (api && !opening && !sessions.Check(TokenOf(req), Sessions::Clock::now())) {
        Error(res, 401, "no session: POST /api/session with the PIN first");
        return HandlerResponse::Handled;
    }
    return HandlerResponse::Unhandled;
}

std::optional<int> RemoteService::Impl::UnitOf(const Request& req, Response& res) const {
    if (!req.has_param("unit")) return 0;
    const std::string text = req.get_param_value("unit");
    const bool digits = !text.empty() && text.size() <= 3 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits && std::stoi(text) < static_cast<int>(units.size())) return std::stoi(text);
    Error(res, 404, "no unit " + text + " (GET /api/units lists them)");
    return std::nullopt;
}

void RemoteService::Impl::Session(const Request& req, Response& res) {
    const auto body = ObjectBody(req, res);
    if (!body) return;
    if (!body->contains("pin") || !(*body)["pin"].is_string()) {
        Error(res, 400, "the body has no \"pin\" text");
        return;
    }
    const Sessions::PinAnswer a =
        sessions.TryPin(req.remote_addr, (*body)["pin"].get<std::string>(), Sessions::Clock::now());
    switch (a.result) {
        case Sessions::PinResult::Accepted:
            res.set_header("Set-Cookie",
                           std::string(kCookie) + "=" + a.token + "; Path=/; HttpOnly; SameSite=Strict");
            Reply(res, 200, {{"token", a.token}});
            return;
        case Sessions::PinResult::Wrong:
            Reply(res, 401, {{"error", "wrong PIN"}, {"attemptsLeft", a.attemptsLeft}});
            return;
        case Sessions::PinResult::LockedOut:
            res.set_header("Retry-After", std::to_string(a.retryAfterSeconds));
            Reply(res, 429,
                  {{"error", "too many wrong PINs from this address; wait before trying again"},
                   {"retryAfter", a.retryAfterSeconds}});
            return;
    }
}

void RemoteService::Impl::EndSession(const Request& req, Response& res) {
    sessions.End(TokenOf(req));
    res.set_header("Set-Cookie", std::string(kCookie) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
    Reply(res, 200, json::object());
}

void RemoteService::Impl::Units(Response& res) {
    json list = json::array();
    for (size_t i = 0; i < units.size(); ++i)
        list.push_back({{"unit", i},
                        {"name", units[i].name},
                        {"connected", units[i].unit->model().flags.connected.load() != 0}});
    Reply(res, 200, {{"units", std::move(list)}});
}

void RemoteService::Impl::State(const Request& req, Response& res) {
    const auto u = UnitOf(req, res);
    if (!u) return;
    json state = StateJson(ViewOf(*units[*u].unit), *u);
    state["units"] = units.size();
    state["name"] = units[*u].name;
    Reply(res, 200, state);
}

void RemoteService::Impl::AllFields(const Request& req, Response& res) {
    const auto u = UnitOf(req, res);
    if (!u) return;
    const UnitView view = ViewOf(*units[*u].unit);
    json fields = json::object();
    for (const FieldInfo& f : Fields()) {
        if (f.HasCode())
            fields[f.path] = ValueJson(f, CodeIn(view, f));
        else if (f.path == "ProgramName")
            fields[f.path] = {{"text", ProgramNameUtf8(view.current.ProgramName, kProgramNameLength)}};
    }
    Reply(res, 200, {{"unit", *u}, {"fields", std::move(fields)}});
}

void RemoteService::Impl::OneField(const Request& req, Response& res) {
    const auto u = UnitOf(req, res);
    if (!u) return;
    const FieldInfo* f = FindField(req.matches[1].str());
    // Passwords and bytes nobody interprets are not shown; they are no field here.
    if (!f || (!f->HasCode() && f->path != "ProgramName")) {
        Error(res, 404, "no field " + req.matches[1].str());
        return;
    }
    Model& m = units[*u].unit->model();
    json j;
    m.Edit([&] {
        if (!f->HasCode()) {
            j = {{"text", ProgramNameUtf8(m.current.ProgramName, kProgramNameLength)}};
            j["settable"] = false;
            return;
        }
        const uint32_t code = CodeIn(m, *f);
        j = FieldJson(*f, code);
        const auto refusal = RefusalOf(m, *f, code);
        j["settable"] = !refusal.has_value();
        if (refusal) j["why"] = *refusal;
    });
    j["path"] = f->path;
    Reply(res, 200, j);
}

void RemoteService::Impl::PutField(const Request& req, Response& res) {
    const auto u = UnitOf(req, res);
    if (!u) return;
    const FieldInfo* f = FindField(req.matches[1].str());
    if (!f) {
        Error(res, 404, "no field " + req.matches[1].str());
        return;
    }
    const auto body = ObjectBody(req, res);
    if (!body) return;
    if (!body->contains("value")) {
        Error(res, 400, "the body has no \"value\"");
        return;
    }
    ValueError why;
    const auto code = CodeOfJson(*f, (*body)["value"], &why);
    if (!code) {
        Error(res, why.malformed ? 400 : 422, why.message);
        return;
    }
    Unit& unit = *units[*u].unit;
    Model& m = unit.model();
    std::optional<std::string> refusal;
    bool changed = false;
    const StepTag tag{StepKind::Remote, static_cast<int>(f - Fields().data())};
    const ExecResult r = executor->Edit(unit, tag, [&] {
        m.Edit([&] {
            refusal = RefusalOf(m, *f, *code);
            if (refusal || CodeIn(m, *f) == *code) return;
            WriteField(m, *f, *code);
            changed = true;
        });
        if (changed) m.RecordsReplaced();
    });
    if (r != ExecResult::Done) {
        Error(res, ExecStatus(r), ExecMessage(r));
        return;
    }
    if (refusal) {
        Error(res, 422, *refusal);
        return;
    }
    if (changed) feed.Poke();
    Reply(res, 200, {{"path", f->path}, {"value", ValueJson(*f, *code)}, {"changed", changed}});
}

void RemoteService::Impl::Recall(const Request& req, Response& res) {
    const auto u = UnitOf(req, res);
    if (!u) return;
    const auto body = ObjectBody(req, res);
    if (!body) return;
    std::optional<int> program;
    if (body->contains("program")) {
        const json& p = (*body)["program"];
        if (p.is_number_integer() && p.get<int64_t>() >= 1 && p.get<int64_t>() <= kProgramCount)
            program = p.get<int>();
        else if (p.is_string())
            program = ProgramNumberFromText(p.get<std::string>());
    }
    if (!program) {
        Error(res, body->contains("program") ? 422 : 400,
              "\"program\" takes 1 .. 21, or F1 .. F5 for 17 .. 21");
        return;
    }
    const ExecResult r = executor->Recall(*units[*u].unit, *program);
    if (r != ExecResult::Done) {
        Error(res, ExecStatus(r), ExecMessage(r));
        return;
    }
    feed.Poke();
    // The program arrives from the unit later; the event streams show it.
    Reply(res, 202, {{"program", *program}, {"label", ProgramNumberText(*program)}});
}

void RemoteService::Impl::Curves(const Request& req, Response& res) {
    const auto u = UnitOf(req, res);
    if (!u) return;
    // The response is computed on a copy of the image, outside the model lock.
    Model& m = units[*u].unit->model();
    ProgramImage image;
    int scene = 1;
    m.Edit([&] {
        image = m.current;
        scene = m.scene.EditedScene();
    });
    if (req.matches.size() > 1) {
        const std::string text = req.matches[1].str();
        const int block = text.size() <= 2 ? std::stoi(text) : -1;
        json curve = block >= 0 ? CurveJson(image, block, scene, true) : json();
        if (curve.is_null()) {
            Error(res, 404, "no EQ block " + text + " (0 .. 17)");
            return;
        }
        Reply(res, 200, curve);
        return;
    }
    json curves = json::array();
    for (int block = 0; block < kBlockCount; ++block) {
        json c = CurveJson(image, block, scene, false);
        c.erase("scene");
        curves.push_back(std::move(c));
    }
    Reply(res, 200, {{"scene", scene}, {"frequencies", GridJson()}, {"curves", std::move(curves)}});
}

void RemoteService::Impl::Events(const Request& req, Response& res) {
    const auto u = UnitOf(req, res);
    if (!u) return;
    const bool meters = req.get_param_value("meters") != "0";
    std::shared_ptr<EventStream> stream = feed.Open(*u, meters);
    if (!stream) {
        Error(res, 503, "too many pages are open; close one and try again");
        return;
    }
    stream->Push("retry: 3000\n\n");
    const std::string token = TokenOf(req);
    sessions.StreamOpened(token);
    res.set_header("X-Accel-Buffering", "no");
    const auto heartbeat = options.heartbeat;
    res.set_chunked_content_provider(
        "text/event-stream",
        [stream, heartbeat](size_t, httplib::DataSink& sink) {
            // Events as they come; a comment when the stream has been quiet for a while; a client that
            // went away is noticed within a second.
            constexpr auto kSlice = std::chrono::milliseconds(1000);
            std::string out;
            for (auto quiet = std::chrono::milliseconds(0);; quiet += kSlice) {
                if (!stream->Next(out, kSlice)) {
                    sink.done();
                    return true;
                }
                if (!out.empty()) break;
                if (!sink.is_writable()) return false;
                if (quiet + kSlice >= heartbeat) {
                    out = ": keep-alive\n\n";
                    break;
                }
            }
            return sink.write(out.data(), out.size());
        },
        [this, stream, token](bool) {
            feed.Close(stream);
            sessions.StreamClosed(token);
        });
}

RemoteService::RemoteService(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

RemoteService::~RemoteService() {
    Stop();
}

void RemoteService::Stop() {
    if (impl_->stopped) return;
    impl_->stopped = true;
    impl_->feed.Stop();  // the event streams end first: their connections are waiting on them
    impl_->server.Stop();
}

const std::string& RemoteService::Address() const {
    return impl_->options.address;
}
int RemoteService::Port() const {
    return impl_->server.Port();
}
const std::string& RemoteService::Pin() const {
    return impl_->sessions.Pin();
}
std::vector<std::string> RemoteService::Urls() const {
    return ServiceUrls(impl_->options.address, Port());
}
std::vector<ClientInfo> RemoteService::Clients() const {
    return impl_->sessions.Clients();
}
int RemoteService::OpenEventStreams() const {
    return impl_->feed.StreamCount();
}
int RemoteService::OpenConnections() const {
    return impl_->server.OpenConnections();
}

std::unique_ptr<RemoteService> StartRemoteService(std::vector<ServedUnit> units, const RemoteOptions& options,
                                                  RemoteExecutor* executor, StartError* error) {
    auto fail = [error](std::string text) {
        if (error) *error = {StartError::Kind::Options, std::move(text)};
        return nullptr;
    };
    if (units.empty() || std::any_of(units.begin(), units.end(), [](const ServedUnit& u) { return !u.unit; }))
        return fail("no unit to serve");
    if (!options.pin.empty() && !IsPinForm(options.pin)) return fail("the PIN must be six digits");
    std::string pin = options.pin.empty() ? MakePin() : options.pin;
    auto impl = std::make_unique<RemoteService::Impl>(std::move(units), options, executor, std::move(pin));
    impl->Routes();
    std::string why;
    bool portInUse = false;
    if (!impl->server.Start(options.address, options.port, &why, &portInUse)) {
        impl->feed.Stop();
        if (error) *error = {portInUse ? StartError::Kind::PortInUse : StartError::Kind::CannotListen, why};
        return nullptr;
    }
    return std::unique_ptr<RemoteService>(new RemoteService(std::move(impl)));
}

}  // namespace pavo::remote
