#pragma once
// The 16-bit heightmap sample of an altitude, shared by every heightmap form
// and the web page's download: altitude x 65535 rounded to nearest (ties away
// from zero), held to 0..65535; NaN gives 0.

#include <cmath>
#include <cstdint>

inline uint16_t HeightSample(double altitude) {
    const double v = altitude * 65535.0;
    if (!(v > 0))
        return 0;
    if (v >= 65535.0)
        return 65535;
    return static_cast<uint16_t>(std::lround(v));
}
