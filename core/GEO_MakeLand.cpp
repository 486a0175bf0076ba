#include "core/GEO_MakeLand.h"

namespace {
CObject* CreateMakeLand() { return new GEO_MakeLand; }
}  // namespace

const RuntimeClass GEO_MakeLand::classGEO_MakeLand{"GEO_MakeLand", 1, &CObject::classCObject,
                                                   &CreateMakeLand};

const RuntimeClass* GEO_MakeLand::GetRuntimeClass() const { return &classGEO_MakeLand; }
