#include "remote/ChangeFeed.h"

#include <algorithm>
#include <cstring>

#include "unit/Unit.h"

namespace pavo::remote {

namespace {

constexpr auto kLookPeriod = std::chrono::milliseconds(25);
constexpr auto kMeterPeriod = std::chrono::milliseconds(95);  // about ten a second at this look period
// More changed fields than this go out as one state event (a received or recalled program).
constexpr size_t kMaxFieldsPerEvent = 64;

bool SameStatus(const UnitView& a, const UnitView& b) {
    return a.connected == b.connected && a.busy == b.busy && a.editedScene == b.editedScene &&
           a.system.ProgramNumber == b.system.ProgramNumber &&
           std::memcmp(a.current.ProgramName, b.current.ProgramName, kProgramNameLength) == 0 &&
           a.names == b.names;
}

}  // namespace

ChangeFeed::ChangeFeed(std::vector<Unit*> units, int maxStreams) : maxStreams_(maxStreams) {
    for (Unit* u : units) {
        Watched w;
        w.unit = u;
        units_.push_back(std::move(w));
    }
    thread_ = std::thread([this] { Run(); });
}

ChangeFeed::~ChangeFeed() {
    Stop();
}

std::shared_ptr<EventStream> ChangeFeed::Open(int unit, bool meters) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stopping_ || streams_ >= maxStreams_ || unit < 0 || unit >= static_cast<int>(units_.size()))
        return nullptr;
    Watched& w = units_[unit];
    // The others catch up to now first, so that the new stream's state is everyone's baseline.
    Look(w, unit, Clock::now());
    auto stream = std::make_shared<EventStream>(unit, meters);
    stream->Push(EventText("state", StateJson(w.last, unit)));
    w.streams.push_back(stream);
    ++streams_;
    wake_.notify_all();
    return stream;
}

void ChangeFeed::Close(const std::shared_ptr<EventStream>& stream) {
    if (!stream) return;
    stream->Close();
    std::lock_guard<std::mutex> guard(mutex_);
    for (Watched& w : units_) {
        const auto it = std::find(w.streams.begin(), w.streams.end(), stream);
        if (it == w.streams.end()) continue;
        w.streams.erase(it);
        --streams_;
        if (w.streams.empty()) w.valid = false;  // looked at again only once someone watches
    }
}

void ChangeFeed::Poke() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        poked_ = true;
    }
    wake_.notify_all();
}

void ChangeFeed::Stop() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
        for (Watched& w : units_) {
            for (auto& s : w.streams) s->Close();
            w.streams.clear();
        }
        streams_ = 0;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

int ChangeFeed::StreamCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return streams_;
}

void ChangeFeed::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (streams_ == 0) {
            wake_.wait(lock, [this] { return stopping_ || streams_ > 0; });  // nobody watches: no ticks
            continue;
        }
        wake_.wait_for(lock, kLookPeriod, [this] { return stopping_ || poked_; });
        if (stopping_) break;
        poked_ = false;
        const Clock::time_point now = Clock::now();
        for (size_t i = 0; i < units_.size(); ++i)
            if (!units_[i].streams.empty()) Look(units_[i], static_cast<int>(i), now);
    }
}

void ChangeFeed::Push(Watched& w, const std::string& text, bool metersOnly) {
    for (auto& s : w.streams)
        if (!metersOnly || s->WantsMeters()) s->Push(text);
    // Streams closed for falling behind leave; their connections end on their own.
    const auto closed =
        std::remove_if(w.streams.begin(), w.streams.end(), [](auto& s) { return s->Closed(); });
    streams_ -= static_cast<int>(w.streams.end() - closed);
    w.streams.erase(closed, w.streams.end());
}

void ChangeFeed::Look(Watched& w, int index, Clock::time_point now) {
    const UnitView view = ViewOf(*w.unit);
    if (!w.valid) {
        w.last = view;
        w.valid = true;
        w.levelsSent = view.levels;
        w.indicatorsSent = view.indicators;
        w.metersOnSent = view.connected;
        w.metersAt = now;
        return;
    }
    const std::vector<const FieldInfo*> changed = ChangedFields(w.last, view);
    if (changed.size() > kMaxFieldsPerEvent) {
        Push(w, EventText("state", StateJson(view, index)), false);
    } else {
        if (!changed.empty()) {
            nlohmann::json fields = nlohmann::json::object();
            for (const FieldInfo* f : changed) fields[f->path] = ValueJson(*f, CodeIn(view, *f));
            Push(w,
                 EventText("fields", {{"unit", index},
                                      {"fields", std::move(fields)},
                                      {"curves", ChangedCurves(w.last, view)}}),
                 false);
        }
        if (!SameStatus(w.last, view)) {
            nlohmann::json status = StatusJson(view);
            status["unit"] = index;
            Push(w, EventText("status", status), false);
        }
    }
    if (now - w.metersAt >= kMeterPeriod &&
        (view.levels != w.levelsSent || view.indicators != w.indicatorsSent ||
         view.connected != w.metersOnSent)) {
        nlohmann::json meters = MetersJson(view);
        meters["unit"] = index;
        Push(w, EventText("meters", meters), true);
        w.levelsSent = view.levels;
        w.indicatorsSent = view.indicators;
        w.metersOnSent = view.connected;
        w.metersAt = now;
    }
    w.last = view;
}

}  // namespace pavo::remote
