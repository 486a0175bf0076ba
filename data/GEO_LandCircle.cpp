#include "data/GEO_LandCircle.h"

#include "data/ArchiveBlocks.h"
#include "data/DiscStencil.h"
#include "data/FileDevices.h"
#include "data/SafeSave.h"

namespace {

CObject* CreateLandCircle() {
    return new GEO_LandCircle;
}
CObject* CreateLandCircleArray() {
    return new GEO_LandCircleArray;
}

// Each circle is at least its 4-byte count.
constexpr uint64_t smallestCircleBytes = 4;

// A table read from a cache is used as it stands whatever its rasterization,
// but only within the bounds the generator relies on.
bool IsSaneTable(const GEO_LandCircleArray& table) {
    if (table.GetSize() != GEO_LandCircleArray::stencilCount)
        return false;
    for (int32_t k = 0; k < table.GetSize(); ++k) {
        int32_t d = k + 1;
        int32_t low = -(d / 2);
        int32_t high = d - 1 - d / 2;
        const GEO_LandCircle& circle = table[k];
        if (int64_t{circle.GetSize()} > int64_t{d} * d)
            return false;
        for (const Point& p : circle) {
            if (p.x < low || p.x > high || p.y < low || p.y > high)
                return false;
        }
    }
    return true;
}

bool ReadCache(const std::filesystem::path& cachePath, GEO_LandCircleArray& table) {
    try {
        FileSource source(cachePath);
        // A sane table holds at most 1 + 4 + ... + 200² points; a bigger file is not one.
        constexpr uint64_t largestSaneCache = 4 + 200 * 4 + 8 * (200ull * 201 * 401 / 6);
        if (source.BytesLeft() > largestSaneCache)
            return false;
        Archive archive(source);
        // The count is checked before the circles exist: a table of millions of
        // empty circles would cost far more memory than the file.
        if (archive.GetInt32() != GEO_LandCircleArray::stencilCount)
            return false;
        table.SetSize(GEO_LandCircleArray::stencilCount);
        for (GEO_LandCircle& circle : table)
            circle.Serialize(archive);
        return archive.BytesLeft() == 0 && IsSaneTable(table);
    } catch (const CommandFailure&) {
        return false;
    }
}

}  // namespace

const RuntimeClass GEO_LandCircle::classGEO_LandCircle{"GEO_LandCircle", 1, &CObject::classCObject,
                                                       &CreateLandCircle};

const RuntimeClass GEO_LandCircleArray::classGEO_LandCircleArray{
    "GEO_LandCircleArray", 1, &CObject::classCObject, &CreateLandCircleArray};

const RuntimeClass* GEO_LandCircle::GetRuntimeClass() const {
    return &classGEO_LandCircle;
}

void GEO_LandCircle::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.PutInt32(GetSize());
        StoreBlock(archive, *this);
    } else {
        LoadBlock(archive, *this, GetLongCount(archive));
    }
}

const RuntimeClass* GEO_LandCircleArray::GetRuntimeClass() const {
    return &classGEO_LandCircleArray;
}

void GEO_LandCircleArray::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.PutInt32(GetSize());
        for (GEO_LandCircle& circle : *this)
            circle.Serialize(archive);
    } else {
        uint64_t count = GetLongCount(archive);
        archive.RequireBytes(count * smallestCircleBytes);
        SetSize(static_cast<int32_t>(count));
        for (GEO_LandCircle& circle : *this)
            circle.Serialize(archive);
    }
}

int32_t GEO_LandCircleArray::AddCircle(const PointArray& points) {
    GEO_LandCircle circle;
    static_cast<PointArray&>(circle) = points;
    // A copied circle is a new one: default step, room for exactly its points.
    circle.SetSize(circle.GetSize(), 0);
    int32_t index = GetSize();
    SetSize(index + 1);
    (*this)[index].Swap(circle);
    return index;
}

GEO_LandCircleArray GEO_LandCircleArray::Built() {
    GEO_LandCircleArray table;
    for (int32_t d = 1; d <= stencilCount; ++d)
        table.AddCircle(BuildDiscStencil(d));
    return table;
}

GEO_LandCircleArray::CacheUse
GEO_LandCircleArray::LoadOrBuild(const std::filesystem::path& cachePath, Builder build) {
    if (GetSize() > 0)
        return CacheUse::Read;

    // Both roads fill a separate table, so a damaged cache never leaves this one half-read.
    GEO_LandCircleArray table;
    if (ReadCache(cachePath, table)) {
        Swap(table);
        return CacheUse::Read;
    }
    table.RemoveAll();  // what the cache left, before the build needs the memory
    GEO_LandCircleArray built = build();
    Swap(built);
    if (!MayRewriteStencilCache(cachePath))
        return CacheUse::NotACache;
    try {
        SaveSafely(cachePath, [this](Archive& archive) { Serialize(archive); });
    } catch (const FileFailure&) {
        // An unwritable cache only costs the next run a rebuild; the table is ready.
        return CacheUse::Unwritable;
    }
    return CacheUse::Written;
}
