#pragma once
// The ranges a generation's parameters are kept in, shared by the parameters
// dialog and glenvar-cli so the two accept the same maps. (The generator's own
// guards are wider: they only keep it safe.)

#include <cstdint>

namespace limits {
constexpr int32_t minSize = 100, maxSize = 3000;
constexpr int32_t minUnitAmount = 1, maxUnitAmount = 200;  // the stencil table's size
constexpr int32_t minPoints = 0, maxPoints = 255;
constexpr double maxProcessAmount = 0.5;  // 500 thousandths, the slider's end
}  // namespace limits
