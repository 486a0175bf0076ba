#include "core/GEO_MakeLand.h"

namespace {
CObject* CreateMakeLand() {
    return new GEO_MakeLand;
}
}  // namespace

const RuntimeClass GEO_MakeLand::classGEO_MakeLand{"GEO_MakeLand", 1, &CObject::classCObject,
                                                   &CreateMakeLand};

const RuntimeClass* GEO_MakeLand::GetRuntimeClass() const {
    return &classGEO_MakeLand;
}

GEO_MakeLand::GridSize GEO_MakeLand::CellGridSize() const {
    const int64_t n = GetSize();
    if (n == 0)
        return {width, height, false};
    const auto fits = [n](int32_t sw, int32_t sh) {
        return sw > 0 && sh > 0 && int64_t{sw} * sh == n;
    };
    if (fits(gridWidth, gridHeight))
        return {gridWidth, gridHeight, true};
    if (fits(width, height))
        return {width, height, true};
    return {gridWidth, gridHeight, false};
}
