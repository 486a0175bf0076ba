// The river figures against maps whose laws are known by construction, and
// our logarithm against the C library's.

#include "landform/RiverFigures.h"
#include "landform/ExactLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

TEST(ExactLog, AgreesWithTheLibraryToTheLastBits) {
    std::mt19937_64 rng(4);
    std::uniform_real_distribution<double> exponent(-300, 300);
    for (int i = 0; i < 100000; ++i) {
        const double x = std::pow(10.0, exponent(rng));
        ASSERT_NEAR(ExactLog(x), std::log(x), 4e-16 * std::max(1.0, std::fabs(std::log(x)))) << x;
        const double y = exponent(rng) / 2;
        ASSERT_NEAR(ExactExp(y), std::exp(y), 1e-15 * std::exp(y)) << y;
    }
    EXPECT_EQ(ExactLog(1.0), 0.0);
    EXPECT_TRUE(std::isnan(ExactLog(0.0)));
    EXPECT_TRUE(std::isnan(ExactLog(-1.0)));
}

// Row 0 is water; column x holds x + 1 land cells draining north, the rest
// water, so basin x is a straight channel of length and area x + 1.
TEST(RiverFigures, HackExponentOfStraightBasinsIsOne) {
    const int32_t w = 30, h = 32;
    std::vector<double> a(size_t(w * h), 0.0);
    std::vector<uint32_t> rec(a.size());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = uint32_t(y * w + x);
            const bool land = y >= 1 && y <= x + 1;
            a[c] = land ? 0.01 * (x + 2 - y) + 0.5 : 0.0;
            rec[c] = land ? c - uint32_t(w) : c;
        }
    const FlowGraph flow = FlowGraph::OfReceivers(w, h, rec);
    std::vector<uint8_t> rivers(a.size());
    for (size_t i = 0; i < a.size(); ++i)
        rivers[i] = a[i] > 0;
    const RiverFigures f = MeasureRivers(a, flow, rivers, 0.0, 1);
    EXPECT_NEAR(f.hackExponent, 1.0, 1e-12);
    EXPECT_NEAR(f.drainageDensity, 1.0, 1e-12);
}

// A tree of channels whose heights rise by S = ks A^-theta per cell.
TEST(RiverFigures, SlopeAreaFitFindsTheLawItWasBuiltWith) {
    const int32_t w = 40, h = 41;
    std::vector<uint32_t> rec(size_t(w * h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = uint32_t(y * w + x);
            // Row 0: water; row 1 drains west to column 0, which drains
            // north into the water; every other cell drains north.
            rec[c] = y == 0 ? c : (y == 1 && x > 0) ? c - 1 : c - uint32_t(w);
        }
    const FlowGraph flow = FlowGraph::OfReceivers(w, h, rec);
    for (const double theta : {0.35, 0.5, 0.65}) {
        const double ks = 0.02;
        std::vector<double> a(rec.size(), 0.0);
        for (const uint32_t c : flow.Stack())
            if (rec[c] != c)
                a[c] = a[rec[c]] + ks * std::pow(double(flow.Area()[c]), -theta);
        std::vector<uint8_t> rivers(a.size());
        for (size_t i = 0; i < a.size(); ++i)
            rivers[i] = a[i] > 0;
        const RiverFigures f = MeasureRivers(a, flow, rivers, 0.0, 1);
        EXPECT_NEAR(f.slopeAreaConcavity, theta, 1e-9);
        EXPECT_NEAR(f.slopeAreaSteepness, ks, 1e-9);
    }
}
