#include "TestTables.h"

const GEO_LandCircleArray& ProgramTable() {
    static const GEO_LandCircleArray table = GEO_LandCircleArray::Built();
    return table;
}

GEO_LandCircleArray TableOf(const std::vector<std::vector<Point>>& circles) {
    GEO_LandCircleArray table;
    for (const auto& offsets : circles) {
        PointArray points;
        for (const Point& p : offsets)
            points.Add(p);
        table.AddCircle(points);
    }
    return table;
}

GEO_LandCircleArray HostileTable(std::mt19937& rng, int32_t circles) {
    std::vector<std::vector<Point>> table;
    const auto pick = [&](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(rng);
    };
    for (int32_t k = 0; k < circles; ++k) {
        std::vector<Point> c;
        switch (k % 6) {
        case 0:  // empty
            break;
        case 1:  // scattered, unsorted, with repeats
            for (int32_t i = pick(1, 60); i > 0; --i)
                c.push_back({pick(-40, 40), pick(-40, 40)});
            for (int32_t i = pick(0, 10); i > 0; --i)
                c.push_back(c[size_t(pick(0, int32_t(c.size()) - 1))]);
            break;
        case 2: {  // rows wider than any test grid, a gap in each, rows skipped
            const int32_t top = pick(-5, 0), bottom = pick(0, 5), stride = pick(1, 3);
            const int32_t left = pick(-400, -150), right = pick(150, 400);
            for (int32_t y = top; y <= bottom; y += stride)
                for (int32_t x = left; x <= right; ++x)
                    if (x < -3 || x > 3)
                        c.push_back({x, y});
            break;
        }
        case 3:  // far beyond the grid, and the extremes of int32
            c.push_back({1000000007, -999999937});
            c.push_back({-2147483647 - 1, 2147483647});
            c.push_back({2147483647, -2147483647 - 1});
            for (int32_t i = pick(1, 20); i > 0; --i)
                c.push_back({pick(-100000, 100000), pick(-3000, 3000)});
            break;
        case 4: {  // a column taller than the grid, rows bottom up
            const int32_t bottom = pick(100, 500), top = -pick(100, 500);
            for (int32_t y = bottom; y > top; --y)
                c.push_back({pick(-2, 2), y});
            break;
        }
        default: {  // a solid block, every offset twice
            const int32_t top = -pick(0, 8), bottom = pick(0, 8);
            const int32_t left = -pick(0, 8), right = pick(0, 8);
            for (int32_t y = top; y <= bottom; ++y)
                for (int32_t x = left; x <= right; ++x) {
                    c.push_back({x, y});
                    c.push_back({x, y});
                }
            break;
        }
        }
        table.push_back(std::move(c));
    }
    return TableOf(table);
}
