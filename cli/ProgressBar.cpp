#include "cli/ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

ProgressBar::ProgressBar() : enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressSink ProgressBar::Sink() {
    if (!enabled_)
        return {};
    return [this](GEO_MakeLand&, const ProgressReport& report) {
        Report(report);
        return true;
    };
}

StageSink ProgressBar::Stages() {
    if (!enabled_)
        return {};
    return [this](const ProgressReport& report) {
        Report(report);
        return true;
    };
}

void ProgressBar::Report(const ProgressReport& report) {
    switch (report.phase) {
    case ProgressPhase::Preparing:
    case ProgressPhase::Normalising:
        Show(PhaseName(report.phase), -1);
        break;
    case ProgressPhase::Stamping:
    case ProgressPhase::Rendering:
    case ProgressPhase::Smoothing:
    case ProgressPhase::Eroding:
    case ProgressPhase::Slumping:
    case ProgressPhase::Draining:
        Show(PhaseName(report.phase),
             report.total > 0 ? double(report.done) / report.total * 100 : 0.0);
        break;
    case ProgressPhase::Done:
        break;
    }
}

void ProgressBar::Show(const std::string& phase, double percent) {
    if (!enabled_)
        return;
    constexpr int barWidth = 30;
    char bar[barWidth + 1];
    const int filled = percent < 0 ? 0 : percent >= 100 ? barWidth : int(percent / 100 * barWidth);
    for (int i = 0; i < barWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[barWidth] = '\0';
    if (percent < 0)
        std::fprintf(stderr, "\r%-12s [%s]        ", phase.c_str(), bar);
    else
        std::fprintf(stderr, "\r%-12s [%s] %6.2f%%", phase.c_str(), bar, percent);
    std::fflush(stderr);
    shown_ = true;
}

void ProgressBar::Finish() {
    if (!enabled_ || !shown_)
        return;
    std::fprintf(stderr, "\r%60s\r", "");
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace cli
