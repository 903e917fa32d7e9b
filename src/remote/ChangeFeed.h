#pragma once
// Changes made anywhere (the program's pages, another phone, a recall, an undo, the unit's own
// replies) reach every open event stream: a thread looks at each watched unit 40 times a second while
// streams are open (never while none are) and pushes what differs from its last look:
//     state    everything the page shows (a new stream's first event; also after a change of many
//              fields at once, such as a received program)
//     fields   {"unit", "fields": {path: value}, "curves": [blocks whose response changed]}
//     status   link, transfer, edited scene, current program and the names of the 21 programs
//     meters   the twelve level meters and their indicators, about ten times a second, when they move
// Every stream of a unit shares one baseline, so no stream misses a change another one saw.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "remote/EventStream.h"
#include "remote/UnitView.h"

namespace pavo {
class Unit;
}

namespace pavo::remote {

class ChangeFeed {
public:
    ChangeFeed(std::vector<Unit*> units, int maxStreams);
    ~ChangeFeed();
    ChangeFeed(const ChangeFeed&) = delete;
    ChangeFeed& operator=(const ChangeFeed&) = delete;

    // A new stream on unit `unit`, its first event the unit's whole state; null when the limit of open
    // streams is reached or the feed has stopped. `meters`: it also gets the meter events.
    std::shared_ptr<EventStream> Open(int unit, bool meters);
    void Close(const std::shared_ptr<EventStream>& stream);
    // Something was just changed: look now rather than at the next tick.
    void Poke();
    // Closes every stream and ends the thread; Open gives null from then on.
    void Stop();
    int StreamCount() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Watched {
        Unit* unit = nullptr;
        UnitView last;       // the baseline every stream of this unit has
        bool valid = false;  // `last` was taken since the first stream opened
        std::array<uint8_t, kStatusMeterCount> levelsSent{}, indicatorsSent{};
        bool metersOnSent = false;
        Clock::time_point metersAt{};
        std::vector<std::shared_ptr<EventStream>> streams;
    };

    void Run();
    // Pushes what changed since the baseline to the unit's streams; the view becomes the baseline.
    // Under mutex_.
    void Look(Watched& w, int index, Clock::time_point now);
    void Push(Watched& w, const std::string& text, bool metersOnly);

    const int maxStreams_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Watched> units_;
    int streams_ = 0;
    bool poked_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pavo::remote
