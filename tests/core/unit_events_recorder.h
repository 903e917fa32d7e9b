#pragma once
// A receiver of a unit's events for tests: each event as one line of text, in the order reported
// ("DeviceFound", "ProgramReceived(recall)", "StoredProgramReceived(3)", "LinkFailed(no answer, lookup)",
// "ProgressPosition(3)"), safe to read from the test's thread while the engine reports.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "unit/UnitEvents.h"

namespace pavo::testing {

using Reports = std::vector<std::string>;

class RecordingEvents : public UnitEvents {
public:
    void DeviceFound() override { Add("DeviceFound"); }
    void SystemReceived() override { Add("SystemReceived"); }
    void ProgramReceived(ProgramSource source) override {
        Add(source == ProgramSource::Recall ? "ProgramReceived(recall)" : "ProgramReceived");
    }
    void StoredProgramReceived(int number) override {
        Add("StoredProgramReceived(" + std::to_string(number) + ")");
    }
    void AllProgramsReceived() override { Add("AllProgramsReceived"); }
    void StatusReceived(StatusArea area) override {
        Add(area == StatusArea::Levels ? "StatusReceived(levels)" : "StatusReceived(indicators)");
    }
    void WrongProgramNumber(int received, int requested) override {
        Add("WrongProgramNumber(" + std::to_string(received) + ", " + std::to_string(requested) + ")");
    }
    void LinkFailed(const PortError& error, bool lookupFrame) override {
        Add(std::string("LinkFailed(") + FaultName(error.fault) + (lookupFrame ? ", lookup)" : ")"));
    }
    void ProgressPosition(int sequence) override {
        Add("ProgressPosition(" + std::to_string(sequence) + ")");
    }
    void PortWarning(const PortError& error, int) override {
        Add(std::string("PortWarning(") + FaultName(error.fault) + ")");
    }

    Reports Reported() const {
        std::lock_guard<std::mutex> g(mutex_);
        return reports_;
    }
    // The reports that start with `name` ("LinkFailed" finds "LinkFailed(no answer)").
    Reports Of(const std::string& name) const {
        Reports out;
        for (const std::string& r : Reported())
            if (r.rfind(name, 0) == 0) out.push_back(r);
        return out;
    }
    size_t Count(const std::string& name) const { return Of(name).size(); }
    // The sequence numbers of the progress reports, in order.
    std::vector<int> Positions() const {
        std::vector<int> out;
        for (const std::string& r : Of("ProgressPosition("))
            out.push_back(std::stoi(r.substr(sizeof("ProgressPosition(") - 1)));
        return out;
    }
    bool WaitFor(const std::string& name, size_t count, int timeoutMs) {
        std::unique_lock<std::mutex> g(mutex_);
        return changed_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] {
            size_t n = 0;
            for (const std::string& r : reports_) n += r.rfind(name, 0) == 0;
            return n >= count;
        });
    }
    void Clear() {
        std::lock_guard<std::mutex> g(mutex_);
        reports_.clear();
    }

private:
    void Add(std::string report) {
        {
            std::lock_guard<std::mutex> g(mutex_);
            reports_.push_back(std::move(report));
        }
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Reports reports_;
};

}  // namespace pavo::testing
