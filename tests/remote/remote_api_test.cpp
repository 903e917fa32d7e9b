// The remote API as scripts and pages use it: what it refuses (each with its status, a JSON error and
// nothing changed), what it takes (every value form, back to the same code, out to the unit, one undo
// step each), sessions, lock-out, transfers and the headers that keep other sites out.
#include <set>

#include "protocol/CommandCodes.h"
#include "remote_fixture.h"

namespace pavo::test {
namespace {

using Headers = httplib::Headers;

class RemoteApi : public RemoteFixture {};

struct BadRequest {
    const char* what;
    const char* method;
    std::string path;
    std::string body;
    int status;
    Headers headers = {};
    bool withToken = true;
    std::string contentType = "application/json";
};

TEST_F(RemoteApi, BadRequestsAreRefusedWithTheirStatusAndChangeNothing) {
    Start();
    const std::string big = "{\"value\": \"" + std::string(5000, '1') + "\"}";
    const std::vector<BadRequest> cases = {
        {"no token", "GET", "/api/state", "", 401, {}, false},
        {"no token, edit", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":"-3dB"})", 401, {}, false},
        {"unknown token",
         "PUT",
         "/api/fields/Mic12.MicLevel",
         R"({"value":"-3dB"})",
         401,
         {{"Authorization", "Bearer " + std::string(64, 'a')}},
         false},
        {"no token, unknown API path", "GET", "/api/nothing", "", 401, {}, false},
        {"body over 4 KiB", "PUT", "/api/fields/Mic12.MicLevel", big, 413},
        {"above the range", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":"21dB"})", 422},
        {"huge number", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":1e308})", 422},
        {"not a number", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":"nan"})", 422},
        {"raw code outside", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":{"code":41}})", 422},
        {"code and value disagree", "PUT", "/api/fields/Mic12.MicLevel",
         R"({"value":{"code":5,"number":-3,"unit":"dB"}})", 422},
        {"wrong unit", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":{"number":-3,"unit":"Hz"}})", 422},
        {"boolean on a level", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":true})", 422},
        {"unknown name", "PUT", "/api/fields/Mic12.FeedbackSuppress", R"({"value":"FB.EX9"})", 422},
        {"not JSON", "PUT", "/api/fields/Mic12.MicLevel", "value=-3", 400},
        {"no value", "PUT", "/api/fields/Mic12.MicLevel", R"({"val":"-3dB"})", 400},
        {"value of no form", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":[1]})", 400},
        {"null value", "PUT", "/api/fields/Mic12.MicLevel", R"({"value":null})", 400},
        {"not JSON content",
         "PUT",
         "/api/fields/Mic12.MicLevel",
         R"({"value":"-3dB"})",
         415,
         {},
         true,
         "text/plain"},
        {"unknown field", "PUT", "/api/fields/Mic12.Nothing", R"({"value":1})", 404},
        {"unknown path", "GET", "/api/nothing", "", 404},
        {"unknown page", "GET", "/nothing.html", "", 404},
        {"unknown unit", "GET", "/api/state?unit=3", "", 404},
        {"unknown block", "GET", "/api/curves/18", "", 404},
        {"password not shown", "GET", "/api/fields/System.SystemPassword", "", 404},
        {"characters", "PUT", "/api/fields/ProgramName", R"({"value":"X"})", 422},
        {"program number", "PUT", "/api/fields/System.ProgramNumber", R"({"value":"F2"})", 422},
        {"only with whole programs", "PUT", "/api/fields/ReverbSpare.EffectLevel", R"({"value":"50%"})", 422},
        {"a link", "PUT", "/api/fields/MicLink", R"({"value":"ON"})", 422},
        {"a scene not in use", "PUT", "/api/fields/Scene2.Out1.Mute", R"({"value":"ON"})", 422},
        {"above the maximum", "PUT", "/api/fields/System.MicMaster.Level", R"({"value":"code:127"})", 422},
        {"recall 22", "POST", "/api/recall", R"({"program":22})", 422},
        {"recall without program", "POST", "/api/recall", R"({})", 400},
        {"other site",
         "PUT",
         "/api/fields/Mic12.MicLevel",
         R"({"value":"-3dB"})",
         403,
         {{"Origin", "http://evil.example"}}},
        {"other host name", "GET", "/api/state", "", 403, {{"Host", "evil.example:80"}}},
        {"wrong PIN form", "POST", "/api/session", R"({"pin":123456})", 400, {}, false},
    };
    const std::string before = Records();
    const size_t steps = online.unit.history().UndoDepth();
    const size_t frames = line->ReceivedCount();
    for (const BadRequest& c : cases) {
        ApiClient raw(service->Port());
        Headers headers = c.headers;
        if (c.withToken) headers.emplace("Authorization", "Bearer " + token);
        const Answer a = raw.Send(c.method, c.path, c.body, headers, c.contentType);
        EXPECT_EQ(a.status, c.status) << c.what << ": " << a.text;
        EXPECT_TRUE(a.body.is_object() && a.body.contains("error") && a.body["error"].is_string())
            << c.what << ": " << a.text;
        EXPECT_EQ(a.Header("Access-Control-Allow-Origin"), "") << c.what;
        EXPECT_EQ(Records(), before) << c.what;
    }
    EXPECT_EQ(online.unit.history().UndoDepth(), steps);
    // The unit heard nothing but status polls meanwhile.
    for (const unit::ReceivedFrame& f : line->ReceivedFrom(frames))
        EXPECT_TRUE(f.frame.cmd == CmdStatusA || f.frame.cmd == CmdStatusB) << int(f.frame.cmd);
}

TEST_F(RemoteApi, FiveWrongPinsLockTheAddressOutForThirtySeconds) {
    Start();
    ApiClient stranger(service->Port());
    const std::string before = Records();
    for (int attempt = 1; attempt <= 4; ++attempt) {
        const Answer a = stranger.Send("POST", "/api/session", R"({"pin":"000000"})");
        EXPECT_EQ(a.status, 401);
        EXPECT_EQ(a.body.value("attemptsLeft", -1), 5 - attempt);
        EXPECT_EQ(a.Header("Set-Cookie"), "");
    }
    const Answer fifth = stranger.Send("POST", "/api/session", R"({"pin":"999999"})");
    EXPECT_EQ(fifth.status, 429);
    EXPECT_EQ(fifth.Header("Retry-After"), "30");
    // Locked out: the right PIN too, and no token.
    const Answer right = stranger.Send("POST", "/api/session", json{{"pin", kPin}}.dump());
    EXPECT_EQ(right.status, 429);
    EXPECT_FALSE(right.body.contains("token"));
    EXPECT_EQ(Records(), before);
    // A session made before keeps working.
    EXPECT_EQ(client->Get("/api/state").status, 200);
}

TEST_F(RemoteApi, WritesDuringATransferGet409AndNothingIsQueuedBehindIt) {
    unit::UnitOptions slowRecall;
    slowRecall.slowCommand = CmdRecall;
    slowRecall.slowCommandMs = 1500;
    Start(slowRecall);
    const uint32_t level = ProgramCode("Mic12.MicLevel");
    const int programs = online.Programs();
    const Answer recall = client->Send("POST", "/api/recall", R"({"program":"F2"})");
    ASSERT_EQ(recall.status, 202) << recall.text;
    EXPECT_EQ(recall.body.value("program", 0), 18);
    const std::string before = Records();
    const Answer edit = client->Put("Mic12.MicLevel", "code:" + std::to_string(level == 1 ? 2 : 1));
    EXPECT_EQ(edit.status, 409) << edit.text;
    EXPECT_EQ(client->Send("POST", "/api/recall", R"({"program":3})").status, 409);
    EXPECT_EQ(Records(), before);
    // The recalled program arrives; the refused edit never follows it to the unit.
    ASSERT_TRUE(OnlineUnit::WaitFor([&] { return online.Programs() > programs && online.AllSent(); }, 20000));
    const uint32_t recalled = ProgramCode("Mic12.MicLevel");
    EXPECT_EQ(UnitCode("Mic12.MicLevel"), recalled);
    EXPECT_EQ(ProgramCode("System.ProgramNumber"), 18u);
    // Afterwards edits go through again.
    const uint32_t next = recalled == 1 ? 2 : 1;
    EXPECT_EQ(client->Put("Mic12.MicLevel", "code:" + std::to_string(next)).status, 200);
    EXPECT_TRUE(UnitHas("Mic12.MicLevel", next));
}

struct GoodValue {
    const char* path;
    json value;
    uint32_t code;  // what it stands for
};

TEST_F(RemoteApi, EveryValueFormSetsItsCodeReachesTheUnitAndIsOneUndoStep) {
    Start();
    const FieldInfo& gain = *FindField("MusicLeft.Eq[3].GainCode");
    const std::vector<GoodValue> values = {
        {"Mic12.MicLevel", "-3dB", 14},
        {"Mic12.MicLevel", 2.5, 25},
        {"Mic12.MicLevel", "code:7", 7},
        {"Mic12.MicLevel", {{"number", 0.5}, {"unit", "dB"}}, 21},
        {"Mic12.MicLevel", {{"code", 30}}, 30},
        {"System.MicMaster.Mute", true, 1},
        {"System.MicMaster.Mute", "OFF", 0},
        {"Mic12.FeedbackSuppress", "fb.ex3", 3},
        {"Mic12.FeedbackSuppress", {{"text", "OFF"}}, 0},
        {"System.KeyShift", 2, 9},
        {"System.KeyShift", "-3", 4},
        {"MusicLeft.Eq[3].GainCode", "-3dB", *ParseCode(gain, "-3dB")},
        {"System.InputSelect", "code:1", 1},
    };
    for (const GoodValue& v : values) {
        const size_t steps = online.unit.history().UndoDepth();
        const bool changes = ProgramCode(v.path) != v.code;
        const Answer a = client->Put(v.path, v.value);
        ASSERT_EQ(a.status, 200) << v.path << " = " << v.value.dump() << ": " << a.text;
        EXPECT_EQ(a.body["value"].value("code", 9999u), v.code) << v.path << " = " << v.value.dump();
        EXPECT_EQ(a.body.value("changed", !changes), changes);
        EXPECT_EQ(ProgramCode(v.path), v.code) << v.path;
        EXPECT_TRUE(UnitHas(v.path, v.code)) << v.path << " = " << v.value.dump();
        ASSERT_EQ(online.unit.history().UndoDepth(), steps + (changes ? 1 : 0)) << v.path;
        if (changes) {
            EXPECT_EQ(online.unit.history().NextUndo()->tag.kind, StepKind::Remote);
        }
    }
    // What the service prints goes back as the same code, for every panel field and a few others.
    for (const char* path :
         {"Mic12.MicLevel", "System.KeyShift", "System.MusicMaster.Level", "System.MicMaster.Mute",
          "Mic34.FeedbackSuppress", "EchoA.EffectLevel", "System.InputSelect",
          "MusicLeft.Eq[3].FrequencyCode", "MusicLeft.Eq[3].QCode", "Mic12.Gate.Threshold"}) {
        if (!FindField(path)) continue;
        const Answer shown = client->Get(std::string("/api/fields/") + path);
        ASSERT_EQ(shown.status, 200) << path;
        json value = shown.body;
        for (const char* key : {"min", "max", "range", "labels", "settable", "why", "path"}) value.erase(key);
        const Answer back = client->Put(path, value);
        EXPECT_EQ(back.status, 200) << path << ": " << back.text;
        EXPECT_EQ(back.body.value("changed", true), false) << path << ": " << value.dump();
        EXPECT_EQ(back.body["value"], value) << path;
    }
}

TEST_F(RemoteApi, MastersKeepBelowTheirMaximum) {
    Start();
    ASSERT_EQ(client->Put("System.MicMax", "code:60").status, 200);
    ASSERT_EQ(client->Put("System.MicMaster.Level", "code:50").status, 200);
    EXPECT_EQ(client->Put("System.MicMaster.Level", "code:61").status, 422);
    ASSERT_EQ(client->Put("System.MicMaster.Mute", "ON").status, 200);
    // A lower maximum takes the level down with it, in one step; the mute stays.
    const size_t steps = online.unit.history().UndoDepth();
    ASSERT_EQ(client->Put("System.MicMax", "code:40").status, 200);
    EXPECT_EQ(ProgramCode("System.MicMaster.Level"), 40u);
    EXPECT_EQ(ProgramCode("System.MicMaster.Mute"), 1u);
    EXPECT_EQ(online.unit.history().UndoDepth(), steps + 1);
    EXPECT_TRUE(UnitHas("System.MicMaster.Level", 40));
}

TEST_F(RemoteApi, SessionsByCookieForPagesAndByBearerForScripts) {
    Start();
    ApiClient page(service->Port());
    const Answer login = page.Send("POST", "/api/session", json{{"pin", kPin}}.dump());
    ASSERT_EQ(login.status, 200);
    const std::string cookie = login.Header("Set-Cookie");
    const std::string tokenSent = login.body.value("token", "");
    ASSERT_EQ(tokenSent.size(), 64u);
    EXPECT_NE(tokenSent, token);
    EXPECT_EQ(cookie, "pavo_session=" + tokenSent + "; Path=/; HttpOnly; SameSite=Strict");
    const Headers withCookie{{"Cookie", "theme=dark; pavo_session=" + tokenSent}};
    EXPECT_EQ(page.Send("GET", "/api/state", "", withCookie).status, 200);
    // The page's own origin may change things.
    const Headers sameSite{{"Cookie", "pavo_session=" + tokenSent},
                           {"Origin", "http://127.0.0.1:" + std::to_string(service->Port())}};
    EXPECT_EQ(page.Send("PUT", "/api/fields/Mic12.MicLevel", R"({"value":"code:9"})", sameSite).status, 200);
    // Logging out ends the session.
    EXPECT_EQ(page.Send("DELETE", "/api/session", "", withCookie).status, 200);
    EXPECT_EQ(page.Send("GET", "/api/state", "", withCookie).status, 401);
    // The other session goes on.
    EXPECT_EQ(client->Get("/api/state").status, 200);
}

TEST_F(RemoteApi, PagesComeFromMemoryWithHeadersThatKeepOtherSitesOut) {
    Start();
    ApiClient browser(service->Port());
    const Answer index = browser.Send("GET", "/");
    ASSERT_EQ(index.status, 200);
    EXPECT_NE(index.text.find("<html"), std::string::npos);
    EXPECT_NE(index.Header("Content-Security-Policy").find("default-src 'none'"), std::string::npos);
    EXPECT_EQ(index.Header("X-Frame-Options"), "DENY");
    EXPECT_EQ(index.Header("X-Content-Type-Options"), "nosniff");
    for (const char* asset : {"/app.js", "/app.css", "/pavo.svg"})
        EXPECT_EQ(browser.Send("GET", asset).status, 200) << asset;
    // A preflight from another site gets no grant.
    httplib::Client raw("127.0.0.1", service->Port());
    auto pre = raw.Options("/api/fields/Mic12.MicLevel",
                           {{"Origin", "http://evil.example"}, {"Access-Control-Request-Method", "PUT"}});
    ASSERT_TRUE(pre);
    EXPECT_FALSE(pre->has_header("Access-Control-Allow-Origin"));
    EXPECT_GE(pre->status, 400);
    // Files of the machine are never served.
    EXPECT_EQ(browser.Send("GET", "/../../etc/passwd").status, 404);
}

TEST_F(RemoteApi, StateUnitsFieldsAndCurvesDescribeTheUnit) {
    Start();
    const Answer units = client->Get("/api/units");
    ASSERT_EQ(units.status, 200);
    ASSERT_EQ(units.body["units"].size(), 1u);
    EXPECT_EQ(units.body["units"][0]["name"], "virtual");
    EXPECT_EQ(units.body["units"][0]["connected"], true);

    const Answer state = client->Get("/api/state");
    ASSERT_EQ(state.status, 200);
    EXPECT_EQ(state.body["connected"], true);
    EXPECT_EQ(state.body["programs"].size(), 21u);
    EXPECT_EQ(state.body["programs"][17]["label"], "F2");
    EXPECT_EQ(state.body["meters"]["levels"].size(), 12u);
    const json& mic = state.body["panel"]["Mic12.MicLevel"];
    EXPECT_EQ(mic["code"], ProgramCode("Mic12.MicLevel"));
    EXPECT_EQ(mic["unit"], "dB");
    EXPECT_EQ(mic["labels"].size(), mic["max"].get<size_t>() - mic["min"].get<size_t>() + 1);

    const Answer all = client->Get("/api/fields");
    ASSERT_EQ(all.status, 200);
    EXPECT_FALSE(all.body["fields"].contains("System.SystemPassword"));
    EXPECT_TRUE(all.body["fields"].contains("Scene3.SurroundR.Delay"));

    // A curve is the block's summed response on the grid; a band's gain moves it.
    const Answer flat = client->Get("/api/curves/0");
    ASSERT_EQ(flat.status, 200);
    ASSERT_EQ(flat.body["levels"].size(), flat.body["frequencies"].size());
    ASSERT_EQ(client->Put("MusicLeft.Eq[3].BandType", "P").status, 200);
    ASSERT_EQ(client->Put("MusicLeft.Eq[3].GainCode", "+6dB").status, 200);
    const Answer raised = client->Get("/api/curves/0");
    double most = -100;
    for (size_t i = 0; i < raised.body["levels"].size(); ++i)
        most = std::max(most, raised.body["levels"][i].get<double>() - flat.body["levels"][i].get<double>());
    EXPECT_GT(most, 3.0);
    const Answer every = client->Get("/api/curves");
    ASSERT_EQ(every.status, 200);
    EXPECT_EQ(every.body["curves"].size(), 18u);
    EXPECT_EQ(every.body["curves"][0]["levels"], raised.body["levels"]);
}

}  // namespace
}  // namespace pavo::test
