#pragma once
// One disc stencil (cell offsets around the stamp's centre) and the table of
// stencils, element k being the disc of diameter k + 1.

#include "data/CObject.h"
#include "data/GrowableArray.h"
#include "data/PointArray.h"
#include "data/StencilCacheFile.h"

#include <filesystem>

class GEO_LandCircle : public PointArray, public CObject {
  public:
    const RuntimeClass* GetRuntimeClass() const override;
    void Serialize(Archive& archive) override;  // int32 count, then the points
    static const RuntimeClass classGEO_LandCircle;
};

class GEO_LandCircleArray : public GrowableArray<GEO_LandCircle>, public CObject {
  public:
    static constexpr int32_t stencilCount = 200;

    const RuntimeClass* GetRuntimeClass() const override;
    void Serialize(Archive& archive) override;  // int32 count, then each circle

    int32_t AddCircle(const PointArray& points);  // returns the new index

    // A new table of all 200 stencils from our own rasterization.
    static GEO_LandCircleArray Built();

    using Builder = GEO_LandCircleArray (*)();

    // How LoadOrBuild found the cache file.
    enum class CacheUse {
        Read,        // the table came from it (or the table was filled already)
        Written,     // built, and the cache written
        Unwritable,  // built; writing the cache failed
        NotACache,   // built; the file is no stencil cache and was left alone
    };

    // Fills an empty table from the cache file, or builds it with `build` and
    // writes the cache. A cache that is not a complete, sane table of 200
    // stencils is rebuilt and rewritten if MayRewriteStencilCache allows; an
    // unwritable cache leaves the built table in memory. Afterwards the table
    // is filled: nothing but running out of memory (which throws) can stop it.
    CacheUse LoadOrBuild(const std::filesystem::path& cachePath = stencilCacheFile,
                         Builder build = &Built);

    static const RuntimeClass classGEO_LandCircleArray;
};
