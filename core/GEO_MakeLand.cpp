#include "core/GEO_MakeLand.h"

namespace {
CObject* CreateMakeLand() { return new GEO_MakeLand; }
}  // namespace

const RuntimeClass GEO_MakeLand::classGEO_MakeLand{"GEO_MakeLand", 1, &CObject::classCObject,
                                                   &CreateMakeLand};

const RuntimeClass* GEO_MakeLand::GetRuntimeClass() const { return &classGEO_MakeLand; }

bool GEO_MakeLand::CellGridSize(int32_t& w, int32_t& h) const {
    const int64_t n = GetSize();
    const auto fits = [n](int32_t sw, int32_t sh) {
        return sw > 0 && sh > 0 && int64_t{sw} * sh == n;
    };
    if (fits(gridWidth, gridHeight)) {
        w = gridWidth;
        h = gridHeight;
        return true;
    }
    if (fits(width, height)) {
        w = width;
        h = height;
        return true;
    }
    return false;
}
