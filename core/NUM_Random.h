#pragma once
// Random sources. Every generation draws from one of these, so a seed
// reproduces a map exactly.

#include "data/CObject.h"

#include <cstdint>

class NUM_Random : public CObject {
  public:
    const RuntimeClass* GetRuntimeClass() const override;
    void Serialize(Archive& archive) override;  // persists nothing
    virtual void SetSeed(uint32_t low, uint32_t high) = 0;
    virtual int32_t Next(int32_t bits) = 0;
    virtual int32_t RollDice(int32_t faces, int32_t count);
    virtual int32_t NextInt();
    virtual int64_t NextLong();
    virtual double NextGaussian() = 0;

    int32_t NextInt(int32_t bound);
    double NextDouble();

    static const RuntimeClass classNUM_Random;
};

// 48-bit linear congruential generator.
class NUM_AdvancedRandom : public NUM_Random {
  public:
    const RuntimeClass* GetRuntimeClass() const override;
    void SetSeed(uint32_t low, uint32_t high) override;
    int32_t Next(int32_t bits) override;
    double NextGaussian() override;
    using NUM_Random::NextInt;

    uint64_t state = 0;
    double nextNextGaussian = 0.0;
    bool haveNextNextGaussian = false;

    static const RuntimeClass classNUM_AdvancedRandom;
};

// The C library's rand(), 15 bits at a time.
class NUM_SystemRandom : public NUM_Random {
  public:
    NUM_SystemRandom() = default;
    const RuntimeClass* GetRuntimeClass() const override;
    void SetSeed(uint32_t low, uint32_t high) override;
    int32_t Next(int32_t bits) override;
    double NextGaussian() override;  // always 0.0
    using NUM_Random::NextInt;

    static const RuntimeClass classNUM_SystemRandom;
};

// The source Generate uses when given none; starts in state 0.
extern NUM_AdvancedRandom defaultRandom;
// Seeds rand() from the clock when the process starts; never drawn from.
extern NUM_SystemRandom startupRandom;
