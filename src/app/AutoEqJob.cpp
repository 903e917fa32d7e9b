#include "app/AutoEqJob.h"

#include <QMetaObject>

namespace pavo {

AutoEqJob::~AutoEqJob() {
    Cancel();
}

void AutoEqJob::Cancel() {
    ++generation_;
    running_ = false;
    if (!run_) return;
    run_->cancel = true;
    // The search looks at the flag between code steps: the wait is short.
    if (run_->thread.joinable()) run_->thread.join();
    run_.reset();
}

void AutoEqJob::Start(FitProblem problem) {
    Cancel();
    run_ = std::make_unique<Run>();
    running_ = true;
    const unsigned generation = generation_;
    Run* run = run_.get();
    // Reports are queued to this object: they run on the UI thread, and none is delivered once the
    // object is gone (the destructor waits for the thread before that).
    run->thread = std::thread([this, run, generation, problem = std::move(problem)] {
        FitControl control;
        control.cancel = &run->cancel;
        control.progress = [this, generation](double fraction) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, fraction] {
                    if (generation == generation_ && onProgress) onProgress(fraction);
                },
                Qt::QueuedConnection);
        };
        FitResult result = RunFit(problem, control);
        if (result.cancelled) return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, result = std::move(result)] {
                if (generation != generation_) return;
                running_ = false;
                if (onFinished) onFinished(result);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace pavo
