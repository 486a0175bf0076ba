#pragma once
// The temporary files a save has made and not yet renamed into place, known
// process-wide so that a signal handler can remove them before the process
// ends, however many there are. Each name is a node of an intrusive list,
// linked and unlinked under a spin lock held only with the ending signals
// blocked in the holding thread; the removal walks the list under the same
// lock and only calls unlink, so it is safe inside a signal handler.

#include <csignal>
#include <memory>

// The signals after which a run should leave nothing of its own behind.
inline constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds one name for the life of the object.
class TemporaryName {
  public:
    explicit TemporaryName(const char* name);
    ~TemporaryName();
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

  private:
    friend void RemoveTemporaryFiles();
    std::unique_ptr<char[]> name_;
    TemporaryName* previous_ = nullptr;
    TemporaryName* next_ = nullptr;
};

// Removes every registered file. Async-signal-safe.
void RemoveTemporaryFiles();

// Runs `create` with the ending signals blocked in this thread, so that a file
// it makes is registered before a signal can end the process.
template <class Create> auto WithEndingSignalsBlocked(Create&& create) {
    sigset_t block, previous;
    sigemptyset(&block);
    for (int s : endingSignals)
        sigaddset(&block, s);
    pthread_sigmask(SIG_BLOCK, &block, &previous);
    struct Restore {
        sigset_t* mask;
        ~Restore() { pthread_sigmask(SIG_SETMASK, mask, nullptr); }
    } restore{&previous};
    return create();
}
