#include "remote/EventStream.h"

#include "remote/UnitView.h"

namespace pavo::remote {

std::string EventText(std::string_view name, const nlohmann::json& data) {
    std::string text = "event: ";
    text += name;
    text += "\ndata: ";
    text += Dump(data);  // one line: dump without indentation writes no line breaks
    text += "\n\n";
    return text;
}

bool EventStream::Next(std::string& out, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait_for(lock, wait, [this] { return closed_ || !pending_.empty(); });
    if (closed_) return false;
    out.swap(pending_);
    pending_.clear();
    return true;
}

void EventStream::Push(std::string_view text) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_) return;
        if (pending_.size() + text.size() > kBacklog) {
            closed_ = true;  // its client stopped reading
            pending_.clear();
        } else {
            pending_ += text;
        }
    }
    ready_.notify_all();
}

void EventStream::Close() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        closed_ = true;
    }
    ready_.notify_all();
}

bool EventStream::Closed() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return closed_;
}

}  // namespace pavo::remote
