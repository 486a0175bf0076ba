// Smoothing over many sizes and radii against a plain double-precision
// blur: the same picture up to rounding, the same bits on one thread or two,
// the same bits wherever the torus is cut open, and nothing outside [0, 1].

#include "landform/Smoothing.h"
#include "tests/support/FailureKinds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

int32_t Wrap(int64_t v, int32_t n) {
    const int64_t r = v % n;
    return static_cast<int32_t>(r < 0 ? r + n : r);
}

// Three passes of the mean over the (2r+1)^2 wrapped window, straight from
// the definition, on altitudes first held to [0, 1].
AltitudeGrid SlowSmooth(const AltitudeGrid& in, int32_t r) {
    AltitudeGrid a = in;
    for (double& v : a.altitudes)
        v = v > 0 ? (v < 1 ? v : 1.0) : 0.0;
    for (int pass = 0; pass < 3; ++pass) {
        AltitudeGrid out(a.width, a.height);
        for (int32_t y = 0; y < a.height; ++y)
            for (int32_t x = 0; x < a.width; ++x) {
                double sum = 0;
                for (int32_t dy = -r; dy <= r; ++dy)
                    for (int32_t dx = -r; dx <= r; ++dx)
                        sum += a.at(Wrap(x + dx, a.width), Wrap(y + dy, a.height));
                out.at(x, y) = sum / double((2 * r + 1) * (2 * r + 1));
            }
        a = out;
    }
    return a;
}

// The grid seen from another cut of the torus: cell (x, y) moves to (x + dx, y + dy).
AltitudeGrid Rolled(const AltitudeGrid& g, int32_t dx, int32_t dy) {
    AltitudeGrid out(g.width, g.height);
    for (int32_t y = 0; y < g.height; ++y)
        for (int32_t x = 0; x < g.width; ++x)
            out.at(Wrap(x + dx, g.width), Wrap(y + dy, g.height)) = g.at(x, y);
    return out;
}

// Terraces like the generator's, with a few altitudes a damaged file could hold.
AltitudeGrid Terraces(int32_t w, int32_t h, uint32_t seed) {
    std::mt19937 random(seed);
    AltitudeGrid g(w, h);
    for (double& v : g.altitudes)
        v = double(random() % 40) / 39.0;
    const double odd[] = {std::numeric_limits<double>::quiet_NaN(), -0.5, 1.5,
                          std::numeric_limits<double>::infinity()};
    for (size_t i = 0; i < 4 && i < g.altitudes.size(); ++i)
        g.altitudes[(size_t(random()) % g.altitudes.size())] = odd[i];
    return g;
}

struct Case {
    int32_t w, h, radius;
};

TEST(Smoothing, MatchesTheDefinitionOnEveryThreadAndCut) {
    const Case cases[] = {{1, 1, 1},    {2, 3, 5},    {7, 5, 2},     {16, 9, 3},   {33, 20, 32},
                          {40, 600, 3}, {24, 700, 7}, {5, 1200, 32}, {257, 300, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h << " radius " << c.radius);
        const AltitudeGrid input = Terraces(c.w, c.h, uint32_t(c.w * 1000 + c.h));
        AltitudeGrid one = input;
        Smooth(one, c.radius, false);
        AltitudeGrid two = input;
        Smooth(two, c.radius, true);
        EXPECT_EQ(one.altitudes, two.altitudes);

        const AltitudeGrid slow = SlowSmooth(input, c.radius);
        for (size_t i = 0; i < one.altitudes.size(); ++i) {
            ASSERT_GE(one.altitudes[i], 0.0);
            ASSERT_LE(one.altitudes[i], 1.0);
            ASSERT_NEAR(one.altitudes[i], slow.altitudes[i], 1e-9) << "cell " << i;
        }

        const int32_t dx = c.w / 3 + 1, dy = c.h / 2 + 1;
        AltitudeGrid rolled = Rolled(input, dx, dy);
        Smooth(rolled, c.radius, true);
        EXPECT_EQ(rolled.altitudes, Rolled(one, dx, dy).altitudes);
    }
}

TEST(Smoothing, RadiusZeroIsOffAndRadiiOutsideAreRefused) {
    const AltitudeGrid input = Terraces(9, 4, 1);
    AltitudeGrid g = input;
    Smooth(g, 0, true);
    EXPECT_EQ(0, std::memcmp(g.altitudes.data(), input.altitudes.data(),
                             sizeof(double) * g.altitudes.size()));
    using testsupport::FailureKindOf;
    EXPECT_EQ(FailureKind::Setting, FailureKindOf([&] { Smooth(g, -1, false); }));
    EXPECT_EQ(FailureKind::Setting, FailureKindOf([&] { Smooth(g, maxSmoothRadius + 1, false); }));
}

}  // namespace
