#include "python/GilRelease.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace py = pybind11;

namespace glenvar_python {

namespace {

std::mutex lock;
std::condition_variable left;
int inside = 0;  // threads between letting go of the GIL and having it back
bool ending = false;
std::thread::id endingThread;

// The process is ending and this thread must not touch Python again: it
// waits without the GIL until the process is gone.
[[noreturn]] void WaitForTheEnd() {
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(24));
}

}  // namespace

GilRelease::GilRelease() : state_(PyEval_SaveThread()) {
    std::unique_lock<std::mutex> hold(lock);
    // The thread that runs the exit may still call glenvar from a later
    // atexit function; every other one would be cut off mid-work.
    if (ending && std::this_thread::get_id() != endingThread) {
        hold.unlock();
        WaitForTheEnd();
    }
    ++inside;
}

GilRelease::~GilRelease() {
    // Only when finalization began without the atexit wait (an embedding
    // application's own Py_Finalize): taking the GIL now would abort.
    if (_Py_IsFinalizing())
        WaitForTheEnd();
    PyEval_RestoreThread(state_);
    // Counted out only once the GIL is back, so that the exit's wait cannot
    // end, and finalization begin, while this thread is still taking it.
    std::lock_guard<std::mutex> hold(lock);
    --inside;
    left.notify_all();
}

bool ExitUnderway() {
    std::lock_guard<std::mutex> hold(lock);
    return ending && std::this_thread::get_id() != endingThread;
}

void WaitForGlenvarAtExit() {
    py::module_::import("atexit").attr("register")(py::cpp_function([] {
        PyThreadState* state = PyEval_SaveThread();
        {
            std::unique_lock<std::mutex> hold(lock);
            ending = true;
            endingThread = std::this_thread::get_id();
            left.wait(hold, [] { return inside == 0; });
        }
        PyEval_RestoreThread(state);
    }));
}

}  // namespace glenvar_python
