#include "cli/Signals.h"

#include "data/TemporaryNames.h"

#include <csignal>
#include <unistd.h>

namespace cli {

namespace {

void OnEndingSignal(int signal) {
    RemoveTemporaryFiles();
    ::_exit(128 + signal);
}

}  // namespace

void InstallSignalHandlers() {
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = &OnEndingSignal;
    sigemptyset(&action.sa_mask);
    for (int s : endingSignals)
        sigaddset(&action.sa_mask, s);
    for (int s : endingSignals) {
        struct sigaction previous {};
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(s, &action, nullptr);
    }
}

}  // namespace cli
