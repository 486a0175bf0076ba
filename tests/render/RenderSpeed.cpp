// Render against the cheapest pass that reads every cell and writes every
// pixel, on a 3000 x 3000 grid with coherent altitudes and regions.

#include "core/GEO_MakeLand.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// Best of several runs, wall clock and processor time (the machine may be shared).
struct Timing {
    double wall = 1e300;
    double cpu = 1e300;
};

Timing Millis(const auto& run) {
    Timing best;
    for (int k = 0; k < 7; ++k) {
        const std::clock_t cpuStart = std::clock();
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto stop = std::chrono::steady_clock::now();
        const std::clock_t cpuStop = std::clock();
        best.wall = std::min(best.wall, std::chrono::duration<double, std::milli>(stop - start).count());
        best.cpu = std::min(best.cpu, 1000.0 * double(cpuStop - cpuStart) / CLOCKS_PER_SEC);
    }
    return best;
}

}  // namespace

int main() {
    constexpr int32_t w = 3000, h = 3000;
    GEO_MakeLand t;
    t.width = t.gridWidth = w;
    t.height = t.gridHeight = h;
    t.SetSize(w * h);
    for (int32_t i = 0; i < w * h; ++i) {
        const int x = i % w, y = i / w;
        t[i].altitude = 0.5 + 0.25 * std::sin(x * 0.01) + 0.25 * std::cos(y * 0.013);
        t[i].region = uint16_t((x / 500 + 7 * (y / 600)) % 11);
    }
    t.concentrationPoints.Add({0, 0});
    Picture picture(w, h);

    const Timing pass = Millis([&] {
        const LandCell* cells = t.GetData();
        uint32_t* out = picture.pixels.data();
        for (int32_t i = 0; i < w * h; ++i)
            out[i] = 0xFF000000u | uint32_t(cells[i].altitude * 255.0) | cells[i].region;
    });
    std::printf("one pass (read grid, write picture): %7.1f ms wall, %7.1f ms processor\n",
                pass.wall, pass.cpu);
    for (int threads = 1; threads <= 2; ++threads) {
        t.twoThreads = threads == 2;
        for (bool regions : {false, true}) {
            const Timing ms = Millis([&] { t.Render(picture, regions); });
            std::printf("Render %d thread%s, %-7s:      %7.1f ms wall (%.2fx), %7.1f ms processor (%.2fx)\n",
                        threads, threads == 1 ? " " : "s", regions ? "regions" : "plain", ms.wall,
                        ms.wall / pass.wall, ms.cpu, ms.cpu / pass.cpu);
        }
    }
}
