#include "data/CObject.h"

const RuntimeClass CObject::classCObject{"CObject", 0xFFFF, nullptr, nullptr};

const RuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}

void CObject::Serialize(Archive&) {}

bool RuntimeClass::IsDerivedFrom(const RuntimeClass* other) const {
    for (const RuntimeClass* c = this; c != nullptr; c = c->base) {
        if (c == other)
            return true;
    }
    return false;
}
