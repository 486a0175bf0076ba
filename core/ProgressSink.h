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
// reports cells done, from 0 to all of them. The stages after generation
// report their passes or steps done: smoothing passes, stream-power steps,
// talus steps, and the drainage's four phases (filling, routing, flats,
// accumulation).
enum class ProgressPhase : int32_t {
    Preparing,
    Stamping,
    Normalising,
    Done,
    Rendering,
    Smoothing,
    Eroding,
    Slumping,
    Draining
};

// "preparing", "stamping", "normalising", "done", "rendering", "smoothing",
// "eroding", "talus", "draining": the phase as scripts and other languages
// receive it.
const char* PhaseName(ProgressPhase phase);

struct ProgressReport {
    ProgressPhase phase;
    int32_t done;   // stamps or cells
    int32_t total;  // of the phase; 0 when it has none
};

// Returns whether to go on: false stops the operation at its next step with
// Stopped (core/Stopped.h). The desktop program's sink always goes on.
using ProgressSink = std::function<bool(GEO_MakeLand& terrain, const ProgressReport& report)>;

// The same for the stages after generation, which work on a copy of the
// altitudes and have no terrain to hand over.
using StageSink = std::function<bool(const ProgressReport& report)>;

// Hands the report on; throws Stopped when the sink says stop. No sink goes on.
void ReportOrStop(const ProgressSink& sink, GEO_MakeLand& terrain, const ProgressReport& report);
void ReportOrStop(const StageSink& sink, const ProgressReport& report);

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
