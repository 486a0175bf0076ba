#include "python/Interrupts.h"

namespace glenvar_python {

namespace py = pybind11;

bool InterruptWatch::GoOn() {
    if (raised_ || exiting_)
        return false;
    if (ExitUnderway()) {
        exiting_ = true;
        return false;
    }
    if (!throttle_.Due())
        return true;
    py::gil_scoped_acquire held;
    if (PyErr_CheckSignals() == 0)
        return true;
    raised_.emplace();  // takes the exception over from the interpreter
    return false;
}

StageSink InterruptWatch::Stages() {
    return [this](const ProgressReport&) { return GoOn(); };
}

ProgressSink InterruptWatch::Generation() {
    return [this](GEO_MakeLand&, const ProgressReport&) { return GoOn(); };
}

void InterruptWatch::Raise() {
    if (raised_) {
        py::error_already_set raised = std::move(*raised_);
        raised_.reset();
        throw raised;
    }
    // A thread stopped by the exit ends quietly: threading reports every
    // exception but SystemExit.
    PyErr_SetNone(exiting_ ? PyExc_SystemExit : PyExc_KeyboardInterrupt);
    throw py::error_already_set();
}

}  // namespace glenvar_python
