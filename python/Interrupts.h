#pragma once
// Ctrl-C while the module works without the GIL. The sinks handed to the
// work take the GIL now and then (at most every 200 ms) to let Python run its
// signal handlers; when one raises, the work stops at its next step
// (Stopped) and the exception is raised once the GIL is back.

#include "core/ProgressSink.h"
#include "core/Stopped.h"

#include <pybind11/pybind11.h>

#include <optional>

namespace glenvar_python {

class InterruptWatch {
  public:
    // For work that runs without the GIL, on the thread that released it.
    StageSink Stages();
    ProgressSink Generation();

    // With the GIL: raises what a signal handler raised (KeyboardInterrupt
    // for Ctrl-C), or KeyboardInterrupt when the work stopped on its own.
    [[noreturn]] void Raise();

  private:
    bool GoOn();

    ProgressThrottle throttle_;
    std::optional<pybind11::error_already_set> raised_;
};

// Runs work(watch) without the GIL and raises what stopped it.
template <class Work> auto Interruptible(Work&& work) {
    InterruptWatch watch;
    try {
        pybind11::gil_scoped_release unlocked;
        return work(watch);
    } catch (const Stopped&) {
        watch.Raise();
    }
}

}  // namespace glenvar_python
