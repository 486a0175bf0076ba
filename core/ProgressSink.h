#pragma once
// How a long operation tells its caller how far it has got. The sink carries
// whatever context its front end needs (a window, a bar, a page's callback),
// so no front end has to park that context in a global.

#include "core/Ticks.h"

#include <cstdint>
#include <functional>

class GEO_MakeLand;

// A generation reports the first four in this order: the stamp count known
// (progressTotal), stamping under way (progressCount of them done), the
// stamps done and the grid being normalised, the map complete. Rendering
// reports cells done, from 0 to all of them.
enum class ProgressPhase : int32_t { Preparing, Stamping, Normalising, Done, Rendering };

// "preparing", "stamping", "normalising", "done", "rendering": the phase as
// scripts and other languages receive it.
const char* PhaseName(ProgressPhase phase);

struct ProgressReport {
    ProgressPhase phase;
    int32_t done;   // stamps or cells
    int32_t total;  // of the phase; 0 when it has none
};

using ProgressSink = std::function<void(GEO_MakeLand& terrain, const ProgressReport& report)>;

// The long loops report at most once per 200 ms of the tick counter.
class ProgressThrottle {
  public:
    ProgressThrottle() : last_(Tick()) {}

    // Whether a report is due now; if so, the next one waits another 200 ms.
    bool Due() {
        const uint32_t now = Tick();
        if (now < static_cast<uint32_t>(last_ + 200u))
            return false;
        last_ = now;
        return true;
    }

  private:
    uint32_t last_;
};
