#pragma once
// A one-line progress display on stderr, shown only when stderr is a terminal.
// The model's progress callbacks are plain functions, so the bar is one
// process-wide object.

#include "core/GEO_MakeLand.h"

#include <string>

namespace cli {

class ProgressBar {
  public:
    static ProgressBar& instance();

    bool enabled() const { return enabled_; }

    // The callbacks handed to Generate and Render.
    static int32_t Generation(GEO_MakeLand& terrain, int32_t phase);
    static int32_t Rendering(GEO_MakeLand& terrain, int32_t cells);

    void Show(const std::string& phase, double percent);  // percent < 0: no bar
    void Finish();                                        // clears the line

  private:
    ProgressBar();
    bool enabled_ = false;
    bool shown_ = false;
};

}  // namespace cli
