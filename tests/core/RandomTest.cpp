#include "core/NUM_Random.h"
#include "core/RandomDraws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

NUM_AdvancedRandom Seeded(uint32_t low, uint32_t high = 0) {
    NUM_AdvancedRandom r;
    r.SetSeed(low, high);
    return r;
}

TEST(RandomClasses, RecordsNameSchemaBaseAndCreation) {
    const RuntimeClass& base = NUM_Random::classNUM_Random;
    EXPECT_STREQ(base.className, "NUM_Random");
    EXPECT_EQ(base.schema, 0xFFFFu);
    EXPECT_EQ(base.base, &CObject::classCObject);
    EXPECT_EQ(base.CreateObject(), nullptr);

    const RuntimeClass& system = NUM_SystemRandom::classNUM_SystemRandom;
    EXPECT_STREQ(system.className, "NUM_SystemRandom");
    EXPECT_EQ(system.schema, 0xFFFFu);
    EXPECT_EQ(system.base, &base);
    EXPECT_EQ(system.CreateObject(), nullptr);

    const RuntimeClass& advanced = NUM_AdvancedRandom::classNUM_AdvancedRandom;
    EXPECT_STREQ(advanced.className, "NUM_AdvancedRandom");
    EXPECT_EQ(advanced.schema, 1u);
    EXPECT_EQ(advanced.base, &base);
    std::unique_ptr<CObject> made(advanced.CreateObject());
    ASSERT_NE(made, nullptr);
    ASSERT_EQ(made->GetRuntimeClass(), &advanced);
    EXPECT_TRUE(made->IsKindOf(&base));
    const auto& fresh = static_cast<const NUM_AdvancedRandom&>(*made);
    EXPECT_EQ(fresh.state, 0u);
    EXPECT_FALSE(fresh.haveNextNextGaussian);

    EXPECT_EQ(startupRandom.GetRuntimeClass(), &system);
    EXPECT_EQ(defaultRandom.GetRuntimeClass(), &advanced);
}

TEST(AdvancedRandom, SeedingAndFirstDraws) {
    NUM_AdvancedRandom r = Seeded(0, 0);
    EXPECT_EQ(r.state, 0x5DEECE66Du);
    EXPECT_EQ(r.NextInt(), -1155484576);

    // The halves: low word XOR 0xDEECE66D, high word XOR 5, 48 bits kept.
    r = Seeded(0x12345678u, 0xFFFFFFFFu);
    EXPECT_EQ(r.state,
              ((uint64_t{0xFFFFFFFFu ^ 5u} & 0xFFFFu) << 32) | (0x12345678u ^ 0xDEECE66Du));

    r = Seeded(0xDEECE66Du, 5);
    EXPECT_EQ(r.state, 0u);
    EXPECT_EQ(r.Next(32), 0);

    EXPECT_EQ(Seeded(0).NextDouble(), 0.730967787376657);

    r = Seeded(0);
    for (int32_t expected : {0, 8, 9, 7, 5})
        EXPECT_EQ(r.NextInt(10), expected);
    r = Seeded(0);
    for (int32_t expected : {748, 851, 246})
        EXPECT_EQ(r.NextInt(1024), expected);
}

TEST(AdvancedRandom, NextLongKeepsTheFirstDrawAsItsHighWord) {
    NUM_AdvancedRandom r = Seeded(0);
    const int64_t value = r.NextLong();
    EXPECT_EQ(static_cast<uint64_t>(value), 0xBB20B460D4D95138u);
    NUM_AdvancedRandom again = Seeded(0);
    const int32_t first = again.Next(32);
    const int32_t second = again.Next(32);
    EXPECT_LT(second, 0);
    EXPECT_EQ(static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32),
              static_cast<uint32_t>(first));
}

TEST(AdvancedRandom, OutOfRangeBoundsDrawNothing) {
    NUM_AdvancedRandom r = Seeded(99), untouched = Seeded(99);
    EXPECT_EQ(r.NextInt(0), 0);
    EXPECT_EQ(r.NextInt(-5), 0);
    EXPECT_EQ(r.NextInt(INT32_MIN), 0);
    EXPECT_EQ(r.RollDice(6, 0), 0);
    EXPECT_EQ(r.RollDice(6, -2), 0);
    EXPECT_EQ(r.RollDice(0, 3), 3);
    EXPECT_EQ(r.RollDice(-4, 2), 2);
    EXPECT_EQ(r.state, untouched.state);
    EXPECT_EQ(r.NextInt(), untouched.NextInt());
}

TEST(AdvancedRandom, RollDiceSumsItsRollsInOrder) {
    NUM_AdvancedRandom a = Seeded(11), b = Seeded(11);
    int32_t sum = 0;
    for (int i = 0; i < 5; ++i)
        sum += b.NextInt(6) + 1;
    EXPECT_EQ(a.RollDice(6, 5), sum);
    EXPECT_EQ(a.state, b.state);
}

TEST(AdvancedRandom, RejectionPathSkipsTheTopPartialBlock) {
    // Bound 2^30 + 1: a 31-bit draw r is accepted only when r - r % bound
    // leaves room for a whole block below 2^31.
    const int32_t bound = (1 << 30) + 1;
    NUM_AdvancedRandom r = Seeded(3), mirror = Seeded(3);
    for (int i = 0; i < 50; ++i) {
        int32_t expected;
        for (;;) {
            const int32_t draw = mirror.Next(31);
            if (int64_t{draw} - draw % bound + (bound - 1) <= INT32_MAX) {
                expected = draw % bound;
                break;
            }
        }
        ASSERT_EQ(r.NextInt(bound), expected);
    }
}

TEST(AdvancedRandom, DivisionByMultiplicationIsExact) {
    // The generator's draws and cell positions divide this way; any slip
    // would move stamps.
    NUM_AdvancedRandom r = Seeded(17);
    const auto check = [](uint32_t a, uint32_t d) {
        const Divisor divisor(d);
        ASSERT_EQ(divisor.Quotient(a), a / d) << a << " / " << d;
        ASSERT_EQ(divisor.Remainder(a), a % d) << a << " % " << d;
    };
    for (uint32_t d : {1u, 2u, 3u, 7u, 10u, 150u, 200u, 1280u, 3000u, 1310720u, 9000000u,
                       0x7FFFFFFEu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        for (uint32_t a : {0u, 1u, d - 1, d, d + 1, 0x7FFFFFFFu, 0xFFFFFFFFu})
            check(a, d);
        for (int i = 0; i < 20000; ++i)
            check(static_cast<uint32_t>(r.Next(32)), d);
    }
    for (int i = 0; i < 20000; ++i)
        check(static_cast<uint32_t>(r.Next(32)), static_cast<uint32_t>(r.Next(32)) | 1u);
}

TEST(AdvancedRandom, GaussiansComeInPairsFromThePolarMethod) {
    NUM_AdvancedRandom r = Seeded(0), mirror = Seeded(0);
    double x, y, s;
    do {
        x = 2 * mirror.NextDouble() - 1;
        y = 2 * mirror.NextDouble() - 1;
        s = x * x + y * y;
    } while (s >= 1 || s == 0);
    const double m = std::sqrt(-2 * std::log(s) / s);
    EXPECT_EQ(r.NextGaussian(), x * m);
    EXPECT_TRUE(r.haveNextNextGaussian);
    const uint64_t before = r.state;
    EXPECT_EQ(r.NextGaussian(), y * m);  // kept back, no draw
    EXPECT_EQ(r.state, before);
    EXPECT_FALSE(r.haveNextNextGaussian);
    EXPECT_NEAR(Seeded(0).NextGaussian(), 0.8025330637390305, 1e-15);

    r.NextGaussian();
    r.SetSeed(0, 0);  // reseeding forgets the kept deviate
    EXPECT_FALSE(r.haveNextNextGaussian);
}

// rand() values as NUM_SystemRandom reads them: 15 bits each.
struct RandSequence {
    explicit RandSequence(unsigned seed) {
        std::srand(seed);
        for (uint32_t& v : values)
            v = static_cast<uint32_t>(std::rand()) & 0x7FFFu;
        std::srand(seed);
    }
    uint32_t values[3];
};

TEST(SystemRandom, AssemblesFifteenBitPieces) {
    NUM_SystemRandom r;
    struct Case {
        int32_t bits;
        uint32_t (*expected)(const uint32_t*);
    };
    const Case cases[] = {
        {8, [](const uint32_t* v) { return v[0]; }},  // unmasked
        {15, [](const uint32_t* v) { return v[0]; }},
        {16, [](const uint32_t* v) { return v[0] | ((v[1] & 1u) << 15); }},
        {29, [](const uint32_t* v) { return v[0] | ((v[1] & 0x3FFFu) << 15); }},
        {30, [](const uint32_t* v) { return v[0] | (v[1] << 15); }},
        {31, [](const uint32_t* v) { return v[0] | (v[1] << 15) | ((v[2] & 1u) << 30); }},
        {32, [](const uint32_t* v) { return v[0] | (v[1] << 15) | (v[2] << 30); }},
    };
    for (unsigned seed : {1u, 2u, 12345u}) {
        for (const Case& c : cases) {
            const RandSequence sequence(seed);
            EXPECT_EQ(static_cast<uint32_t>(r.Next(c.bits)), c.expected(sequence.values))
                << "bits " << c.bits << ", seed " << seed;
        }
    }
}

TEST(SystemRandom, SeedsRandWithTheLowHalfAndDrawsNoGaussians) {
    NUM_SystemRandom r;
    std::srand(7);
    const int first = std::rand();
    r.SetSeed(7, 0xABCDEFu);
    EXPECT_EQ(std::rand(), first);

    r.SetSeed(7, 0);
    EXPECT_EQ(r.NextGaussian(), 0.0);
    EXPECT_EQ(std::rand(), first);

    // Next(8) is not masked to 8 bits.
    r.SetSeed(1, 0);
    int32_t largest = 0;
    for (int i = 0; i < 1000; ++i) {
        const int32_t v = r.Next(8);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
        largest = std::max(largest, v);
    }
    EXPECT_GT(largest, 255);
}

TEST(SystemRandom, ConstructingOneLeavesRandAlone) {
    std::srand(42);
    const int first = std::rand();
    std::srand(42);
    NUM_SystemRandom another;
    (void)another;
    EXPECT_EQ(std::rand(), first);
}

}  // namespace
