#pragma once
// The generator written the plain way, one stage after another with no shortcut,
// for differential tests and benchmarks. Slow on purpose: every stamp copies
// its circle and adds one cell at a time; every region compares all nine
// copies of every point.

#include "core/GEO_MakeLand.h"
#include "data/GEO_LandCircle.h"

#include <cstdint>
#include <vector>

class NUM_Random;

namespace reference {

// What happened to one stamp, in drawing order.
struct StampTrace {
    int32_t cell = 0;     // the drawn centre cell
    int32_t circle = 0;   // the land circle number
    bool rolled = false;  // a roll was drawn
    double roll = 0.0;
    bool pulled = false;
    Point image;   // the nearest copy of the point pulled toward
    Point centre;  // the centre stamped, after any pull
};

struct Options {
    // Benchmarks time a sample: stamp only the first stampLimit stamps and
    // label only the first regionLimit cells (-1: all). The draws are complete.
    int64_t stampLimit = -1;
    int64_t regionLimit = -1;
    std::vector<StampTrace>* trace = nullptr;
};

// Seconds spent in each part, for scaling a sampled run.
struct Timings {
    double drawing = 0;
    double stamping = 0;
    double totals = 0;
    double regions = 0;
};

void Generate(GEO_MakeLand& terrain, const GEO_LandCircleArray& circles, NUM_Random* source,
              const ProgressSink& progress, const Options& options = {},
              Timings* timings = nullptr);

Point NearestImage(const GEO_MakeLand& terrain, int32_t px, int32_t py, int32_t x, int32_t y);
int32_t NearestConcentrationPoint(const GEO_MakeLand& terrain, int32_t x, int32_t y,
                                  Point* image = nullptr);

}  // namespace reference
