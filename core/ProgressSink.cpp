#include "core/ProgressSink.h"

#include "core/Stopped.h"

const char* PhaseName(ProgressPhase phase) {
    switch (phase) {
    case ProgressPhase::Preparing:
        return "preparing";
    case ProgressPhase::Stamping:
        return "stamping";
    case ProgressPhase::Normalising:
        return "normalising";
    case ProgressPhase::Done:
        return "done";
    case ProgressPhase::Rendering:
        return "rendering";
    case ProgressPhase::Smoothing:
        return "smoothing";
    case ProgressPhase::Eroding:
        return "eroding";
    case ProgressPhase::Slumping:
        return "talus";
    case ProgressPhase::Draining:
        return "draining";
    }
    return "";
}

void ReportOrStop(const ProgressSink& sink, GEO_MakeLand& terrain, const ProgressReport& report) {
    if (sink && !sink(terrain, report))
        throw Stopped();
}

void ReportOrStop(const StageSink& sink, const ProgressReport& report) {
    if (sink && !sink(report))
        throw Stopped();
}
