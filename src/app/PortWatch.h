#pragma once
// Watches for the unit's port to come back after it went away (a USB adapter unplugged): a light
// poll of the device path, once a second, only while it runs. It reports once, when the path that was
// gone exists again and opens; then it stops.
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

namespace pavo {

class PortWatch : public QObject {
    Q_OBJECT
public:
    explicit PortWatch(std::function<void()> onBack, QObject* parent = nullptr);

    // Starts watching `devicePath`; the first check runs at once.
    void Start(const std::string& devicePath);
    void Stop();
    bool Watching() const { return timer_.isActive(); }
    const std::string& Path() const { return path_; }
    void SetInterval(int ms) { timer_.setInterval(ms); }

private:
    void Check();

    std::function<void()> onBack_;
    QTimer timer_;
    std::string path_;
    bool seenGone_ = false;  // a path that never went away has not come back
};

}  // namespace pavo
