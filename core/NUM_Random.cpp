#include "core/NUM_Random.h"

#include "core/RandomDraws.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {
CObject* CreateAdvancedRandom() {
    return new NUM_AdvancedRandom;
}

// The clock seeding belongs to the global alone: a NUM_SystemRandom built
// anywhere else (a test, a tool) must not reseed rand() behind its back.
NUM_SystemRandom SeededFromClock() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return NUM_SystemRandom{};
}
}  // namespace

const RuntimeClass NUM_Random::classNUM_Random{"NUM_Random", 0xFFFF, &CObject::classCObject,
                                               nullptr};
const RuntimeClass NUM_SystemRandom::classNUM_SystemRandom{"NUM_SystemRandom", 0xFFFF,
                                                           &NUM_Random::classNUM_Random, nullptr};
const RuntimeClass NUM_AdvancedRandom::classNUM_AdvancedRandom{
    "NUM_AdvancedRandom", 1, &NUM_Random::classNUM_Random, &CreateAdvancedRandom};

NUM_AdvancedRandom defaultRandom;
NUM_SystemRandom startupRandom = SeededFromClock();

// ---- NUM_Random ------------------------------------------------------------

const RuntimeClass* NUM_Random::GetRuntimeClass() const {
    return &classNUM_Random;
}

void NUM_Random::Serialize(Archive&) {}

int32_t NUM_Random::RollDice(int32_t faces, int32_t count) {
    uint32_t sum = 0;  // wraps like the int32 it is returned as
    for (int32_t i = 0; i < count; ++i)
        sum += static_cast<uint32_t>(NextInt(faces)) + 1u;
    return static_cast<int32_t>(sum);
}

int32_t NUM_Random::NextInt() {
    return Next(32);
}

int64_t NUM_Random::NextLong() {
    const uint32_t high = static_cast<uint32_t>(Next(32));
    const uint32_t low = static_cast<uint32_t>(Next(32));
    // The low word goes in unchanged: a negative second draw must not borrow.
    return static_cast<int64_t>((uint64_t{high} << 32) | uint64_t{low});
}

int32_t NUM_Random::NextInt(int32_t bound) {
    return DrawBelow([this](int32_t bits) { return Next(bits); }, bound);
}

double NUM_Random::NextDouble() {
    return DrawUnit([this](int32_t bits) { return Next(bits); });
}

// ---- NUM_AdvancedRandom ----------------------------------------------------

const RuntimeClass* NUM_AdvancedRandom::GetRuntimeClass() const {
    return &classNUM_AdvancedRandom;
}

void NUM_AdvancedRandom::SetSeed(uint32_t low, uint32_t high) {
    const uint64_t seed = (uint64_t{high} << 32) | uint64_t{low};
    state = (seed ^ lcgMultiplier) & lcgMask;
    haveNextNextGaussian = false;
}

int32_t NUM_AdvancedRandom::Next(int32_t bits) {
    return LcgNext(state, bits);
}

double NUM_AdvancedRandom::NextGaussian() {
    if (haveNextNextGaussian) {
        haveNextNextGaussian = false;
        return nextNextGaussian;
    }
    double x, y, s;
    do {
        x = 2 * NextDouble() - 1;
        y = 2 * NextDouble() - 1;
        s = x * x + y * y;
    } while (s >= 1 || s == 0);
    const double m = std::sqrt(-2 * std::log(s) / s);
    nextNextGaussian = y * m;
    haveNextNextGaussian = true;
    return x * m;
}

// ---- NUM_SystemRandom ------------------------------------------------------

const RuntimeClass* NUM_SystemRandom::GetRuntimeClass() const {
    return &classNUM_SystemRandom;
}

void NUM_SystemRandom::SetSeed(uint32_t low, uint32_t) {
    std::srand(low);
}

int32_t NUM_SystemRandom::Next(int32_t bits) {
    // glibc's rand() gives 31 bits; the assembly below is defined on 15-bit pieces.
    const uint32_t r0 = static_cast<uint32_t>(std::rand()) & 0x7FFFu;
    if (bits <= 15)
        return static_cast<int32_t>(r0);
    uint32_t r1 = static_cast<uint32_t>(std::rand()) & 0x7FFFu;
    if (bits < 30)
        r1 &= (1u << (bits - 15)) - 1u;
    uint32_t result = r0 | (r1 << 15);
    if (bits <= 30)
        return static_cast<int32_t>(result);
    uint32_t r2 = static_cast<uint32_t>(std::rand()) & 0x7FFFu;
    if (bits <= 31)
        r2 &= 1u;
    result |= r2 << 30;
    return static_cast<int32_t>(result);
}

double NUM_SystemRandom::NextGaussian() {
    return 0.0;
}
