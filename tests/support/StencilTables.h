#pragma once
// The stencil table as the program builds it, the bytes of its cache file, and
// a stencil-for-stencil comparison, shared by the stencil and cache tests.

#include "data/GEO_LandCircle.h"
#include "tests/support/ArchiveBytes.h"

#include <algorithm>
#include <vector>

namespace testsupport {

// A new circle holding circle k's points, as the literal generator takes one per stamp.
inline GEO_LandCircle CopyOf(const GEO_LandCircleArray& table, int32_t k) {
    GEO_LandCircle circle;
    static_cast<PointArray&>(circle) = table[k];
    circle.SetSize(circle.GetSize(), 0);
    return circle;
}

// Built once: each build takes a noticeable moment.
inline const GEO_LandCircleArray& BuiltTable() {
    static const GEO_LandCircleArray table = GEO_LandCircleArray::Built();
    return table;
}

inline const std::vector<unsigned char>& BuiltCacheBytes() {
    static const std::vector<unsigned char> bytes = Serialized(GEO_LandCircleArray(BuiltTable()));
    return bytes;
}

inline bool SameTable(const GEO_LandCircleArray& a, const GEO_LandCircleArray& b) {
    if (a.GetSize() != b.GetSize())
        return false;
    for (int32_t k = 0; k < a.GetSize(); ++k) {
        if (!std::equal(a[k].begin(), a[k].end(), b[k].begin(), b[k].end()))
            return false;
    }
    return true;
}

}  // namespace testsupport
