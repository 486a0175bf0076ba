#include "cli/ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

ProgressBar::ProgressBar() : enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar& ProgressBar::instance() {
    static ProgressBar bar;
    return bar;
}

int32_t ProgressBar::Generation(GEO_MakeLand& terrain, int32_t phase) {
    ProgressBar& bar = instance();
    switch (static_cast<GenerationPhase>(phase)) {
    case GenerationPhase::Preparing:
        bar.Show("preparing", -1);
        break;
    case GenerationPhase::Stamping:
        bar.Show("stamping", terrain.progressTotal > 0
                                 ? double(terrain.progressCount) / terrain.progressTotal * 100
                                 : 0.0);
        break;
    case GenerationPhase::Normalising:
        bar.Show("normalising", -1);
        break;
    default:
        break;
    }
    return 0;
}

int32_t ProgressBar::Rendering(GEO_MakeLand& terrain, int32_t cells) {
    const int32_t total = terrain.GetSize();
    instance().Show("rendering", total > 0 ? double(cells) / total * 100 : 0.0);
    return 0;
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
