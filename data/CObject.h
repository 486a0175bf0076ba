#pragma once
// Run-time class records and the root of the persistent classes.

#include <cstdint>

class Archive;
class CObject;

struct RuntimeClass {
    const char* className;
    uint32_t schema;  // 0xFFFF: not serializable
    const RuntimeClass* base;
    CObject* (*create)();  // nullptr: not dynamically creatable

    CObject* CreateObject() const { return create ? create() : nullptr; }
    bool IsDerivedFrom(const RuntimeClass* other) const;
};

class CObject {
  public:
    virtual const RuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(Archive& archive);

    bool IsKindOf(const RuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    static const RuntimeClass classCObject;
};
