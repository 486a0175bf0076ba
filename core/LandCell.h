#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// One grid cell, stored in files byte for byte; the reserved bytes are
// carried along unread. The generator counts its stamps apart from the grid,
// which it allocates only to hold the finished altitudes.
struct LandCell {
    double altitude;  // normalised to [0, 1]
    uint16_t region;  // index of the nearest concentration point
    uint8_t reserved[6];
};
static_assert(sizeof(LandCell) == 16);
static_assert(offsetof(LandCell, altitude) == 0);
static_assert(offsetof(LandCell, region) == 8);
static_assert(std::is_trivially_copyable_v<LandCell>);
