#include "core/ProgressSink.h"

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
    }
    return "";
}
