#pragma once

#include "data/GrowableArray.h"

#include <cstdint>

class Archive;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
static_assert(sizeof(Point) == 8);

// A growable list of points; serialized as a short count and the raw points.
class PointArray : public GrowableArray<Point> {
  public:
    void Serialize(Archive& archive);
};
