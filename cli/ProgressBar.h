#pragma once
// A one-line progress display on stderr, shown only when stderr is a terminal.

#include "core/ProgressSink.h"

#include <string>

namespace cli {

class ProgressBar {
  public:
    ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    bool enabled() const { return enabled_; }

    // What Generate and Render report to: the bar, or nothing when it is not
    // shown. Neither ever says stop: a signal ends glenvar-cli (Signals.h).
    ProgressSink Sink();
    // The same for the stages after generation.
    StageSink Stages();

    void Show(const std::string& phase, double percent);  // percent < 0: no bar
    void Finish();                                        // clears the line

  private:
    void Report(const ProgressReport& report);

    bool enabled_ = false;
    bool shown_ = false;
};

}  // namespace cli
