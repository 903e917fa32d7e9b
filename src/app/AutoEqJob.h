#pragma once
// Runs EQ fits off the UI thread, one at a time: a new fit cancels the one still running, whose
// progress and result are then never reported. Progress and the result arrive on the UI thread.
// The fit works on its own copy of the program image (a FitProblem), never on the band sets.
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "autoeq/Fit.h"

namespace pavo {

class AutoEqJob : public QObject {
    Q_OBJECT
public:
    std::function<void(double fraction)> onProgress;
    std::function<void(const FitResult&)> onFinished;

    explicit AutoEqJob(QObject* parent = nullptr) : QObject(parent) {}
    ~AutoEqJob() override;

    void Start(FitProblem problem);
    // The running fit stops soon; nothing more is reported for it.
    void Cancel();
    bool Running() const { return running_; }

private:
    struct Run {
        std::atomic<bool> cancel{false};
        std::thread thread;
    };
    std::unique_ptr<Run> run_;
    unsigned generation_ = 0;  // of the fit whose reports count
    bool running_ = false;
};

}  // namespace pavo
