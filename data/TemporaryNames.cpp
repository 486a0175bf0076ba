#include "data/TemporaryNames.h"

#include <atomic>
#include <cstring>
#include <unistd.h>

namespace {

TemporaryName* first = nullptr;
std::atomic_flag listInUse = ATOMIC_FLAG_INIT;

// A handler spinning here cannot wait on its own thread: every holder has the
// ending signals blocked, so the holder is another thread, a few instructions
// from letting go.
template <class Change> void WithListHeld(Change&& change) {
    WithEndingSignalsBlocked([&change] {
        while (listInUse.test_and_set(std::memory_order_acquire)) {
        }
        change();
        listInUse.clear(std::memory_order_release);
    });
}

}  // namespace

TemporaryName::TemporaryName(const char* name) {
    // Copied before the lock: nothing is allocated while it is held.
    const size_t size = std::strlen(name) + 1;
    name_ = std::make_unique<char[]>(size);
    std::memcpy(name_.get(), name, size);
    WithListHeld([this] {
        next_ = first;
        if (first != nullptr)
            first->previous_ = this;
        first = this;
    });
}

TemporaryName::~TemporaryName() {
    WithListHeld([this] {
        if (previous_ != nullptr)
            previous_->next_ = next_;
        else
            first = next_;
        if (next_ != nullptr)
            next_->previous_ = previous_;
    });
}

void RemoveTemporaryFiles() {
    WithListHeld([] {
        for (const TemporaryName* name = first; name != nullptr; name = name->next_)
            ::unlink(name->name_.get());
    });
}
