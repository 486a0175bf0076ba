#include "data/TemporaryNames.h"

#include <atomic>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

// A handful is plenty: a run stages one file per output.
constexpr int slotCount = 64;

struct Slot {
    std::atomic<bool> claimed{false};
    std::atomic<bool> ready{false};  // the name is complete: the handler may use it
    char name[PATH_MAX];
};

Slot slots[slotCount];

}  // namespace

TemporaryName::TemporaryName(const char* name) : slot_(-1) {
    if (std::strlen(name) >= PATH_MAX)
        return;
    for (int i = 0; i < slotCount; ++i) {
        bool expected = false;
        if (!slots[i].claimed.compare_exchange_strong(expected, true))
            continue;
        std::strcpy(slots[i].name, name);
        slots[i].ready.store(true);
        slot_ = i;
        return;
    }
}

TemporaryName::~TemporaryName() {
    if (slot_ < 0)
        return;
    slots[slot_].ready.store(false);
    slots[slot_].claimed.store(false);
}

void RemoveTemporaryFiles() {
    for (Slot& slot : slots)
        if (slot.ready.load())
            ::unlink(slot.name);
}
