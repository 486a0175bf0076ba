#pragma once
// Ctrl-C while the module works without the GIL. The sinks handed to the
// work take the GIL now and then (at most every 200 ms) to let Python run its
// signal handlers; when one raises, the work stops at its next step
// (Stopped) and the exception is raised once the GIL is back. Work on another
// thread also stops when the interpreter begins to exit, so the exit need not
// wait for a long stage to end.

#include "core/ProgressSink.h"
#include "core/Stopped.h"
#include "python/GilRelease.h"

#include <pybind11/pybind11.h>

#include <optional>

namespace glenvar_python {

class InterruptWatch {
  public:
    // For work that runs without the GIL, on the thread that released it.
    StageSink Stages();
    ProgressSink Generation();

    // With the GIL: raises what a signal handler raised (KeyboardInterrupt
    // for Ctrl-C), SystemExit when the interpreter's exit stopped the work,
    // or KeyboardInterrupt when it stopped on its own.
    [[noreturn]] void Raise();

  private:
    bool GoOn();

    ProgressThrottle throttle_;
    bool exiting_ = false;
    std::optional<pybind11::error_already_set> raised_;
};

// Runs work(watch) without the GIL and raises what stopped it.
template <class Work> auto Interruptible(Work&& work) {
    InterruptWatch watch;
    try {
        GilRelease unlocked;
        return work(watch);
    } catch (const Stopped&) {
        watch.Raise();
    }
}

}  // namespace glenvar_python
