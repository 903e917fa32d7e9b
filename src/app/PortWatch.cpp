#include "app/PortWatch.h"

#include <unistd.h>

#include <QApplication>

#include "serial/SerialLine.h"

namespace pavo {

namespace {
constexpr int kPollMs = 1000;
}  // namespace

PortWatch::PortWatch(std::function<void()> onBack, QObject* parent)
    : QObject(parent), onBack_(std::move(onBack)) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &PortWatch::Check);
}

void PortWatch::Start(const std::string& devicePath) {
    path_ = devicePath;
    seenGone_ = false;
    timer_.start();
    Check();
}

void PortWatch::Stop() {
    timer_.stop();
}

void PortWatch::Check() {
    if (!Watching()) return;
    if (::access(path_.c_str(), F_OK) != 0) {
        seenGone_ = true;
        return;
    }
    if (!seenGone_) return;
    // The offer waits while another dialog is up (a file dialog, a message box).
    if (QApplication::activeModalWidget()) return;
    // The node may appear before it may be opened (permissions still being set, or another program
    // got there first): only a port that opens counts as back.
    SerialLine probe;
    if (!probe.Open(path_)) return;
    probe.Close();
    Stop();
    if (onBack_) onBack_();
}

}  // namespace pavo
