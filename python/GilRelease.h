#pragma once
// Lets go of the GIL while glenvar works, as py::gil_scoped_release does, but
// never lets the interpreter's exit tear a thread out of glenvar. Python 3.11
// ends a thread that takes the GIL back during finalization with
// pthread_exit, whose forced unwinding through a destructor (noexcept) aborts
// the process; a save cut off that way also leaves its temporary file. So
// the exit waits, at atexit, for every thread inside glenvar to come back
// out, and a thread that calls in after that never starts: it waits for the
// process to end without the GIL.

#include <pybind11/pybind11.h>

namespace glenvar_python {

class GilRelease {
  public:
    GilRelease();
    ~GilRelease();
    GilRelease(const GilRelease&) = delete;
    GilRelease& operator=(const GilRelease&) = delete;

  private:
    PyThreadState* state_;
};

// Whether the interpreter has begun to exit and this thread is not the one
// running the exit: its work should stop at the next step.
bool ExitUnderway();

// Registers the wait with the module atexit; call once, at import.
void WaitForGlenvarAtExit();

}  // namespace glenvar_python
