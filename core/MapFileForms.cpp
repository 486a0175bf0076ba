// The terrain's two file forms, kept beside the terrain they serialize.

#include "core/GEO_MakeLand.h"
#include "data/ArchiveBlocks.h"

#include <limits>

namespace {
constexpr uint16_t formatVersion = 1;

// The second point list, the last block of a map file. A file cut inside it
// still holds the whole map, so it loads: the points it lacks keep what the
// first copy gave them, zero for points the second count adds. A count that
// outgrows the first copy by more than the bytes left is not a cut copy, and
// refusing it keeps a hostile count from costing more memory than the file.
void LoadLastPointList(Archive& archive, PointArray& points) {
    uint64_t count = archive.GetShortCount();
    uint64_t left = archive.BytesLeft();
    if (count * sizeof(Point) <= left) {
        LoadBlock(archive, points, count);
        return;
    }
    uint64_t reach = uint64_t(points.GetSize()) + (left + sizeof(Point) - 1) / sizeof(Point);
    if (count > reach)
        throw EndOfFileFailure();
    if (count > uint64_t(std::numeric_limits<int32_t>::max()))
        throw FormatFailure();
    points.SetSize(static_cast<int32_t>(count));
    archive.Read(points.GetData(), static_cast<size_t>(left));
}

}  // namespace

void GEO_MakeLand::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        // Hand placement may already have changed width/height for a map not
        // yet generated; the grid's own size makes the file read back as the
        // map it holds.
        const GridSize size = CellGridSize();
        archive.Write("LS", 2);
        archive.PutUInt16(formatVersion);
        archive.PutUInt32(static_cast<uint32_t>(seed));
        archive.PutUInt32(static_cast<uint32_t>(seed >> 32));
        archive.PutInt32(size.width);
        archive.PutInt32(size.height);
        archive.PutInt32(unitAmount);
        archive.PutFloat64(processAmount);
        archive.PutFloat64(waterLevel);
        archive.PutFloat64(concentrationRate);
        archive.PutFloat64(concentrationAmount);
        archive.PutInt32(concentrationPointCount);
        archive.PutInt32(keepRandomState);
        archive.PutInt32(manualPlacement);
        concentrationPoints.Serialize(archive);
        archive.PutInt32(GetSize());
        StoreBlock<LandCell>(archive, *this);
        concentrationPoints.Serialize(archive);
    } else {
        archive.GetUInt16();  // the version has only ever been 1
        uint64_t low = archive.GetUInt32();
        uint64_t high = archive.GetUInt32();
        seed = low | high << 32;
        width = archive.GetInt32();
        height = archive.GetInt32();
        unitAmount = archive.GetInt32();
        processAmount = archive.GetFloat64();
        waterLevel = archive.GetFloat64();
        concentrationRate = archive.GetFloat64();
        concentrationAmount = archive.GetFloat64();
        concentrationPointCount = archive.GetInt32();
        keepRandomState = archive.GetInt32();
        manualPlacement = archive.GetInt32();
        // The list stands twice; the copy after the cells is the one kept.
        concentrationPoints.Serialize(archive);
        LoadBlock<LandCell>(archive, *this, GetLongCount(archive));
        LoadLastPointList(archive, concentrationPoints);
    }
}

void GEO_MakeLand::SerializeRaw(Archive& archive) {
    if (archive.IsStoring()) {
        const GridSize size = CellGridSize();
        archive.Write("LD", 2);
        archive.PutUInt16(formatVersion);
        archive.PutInt32(size.width);
        archive.PutInt32(size.height);
        StoreBlock<LandCell>(archive, *this);
        archive.PutInt32(concentrationPoints.GetSize());
        StoreBlock(archive, concentrationPoints);
    } else {
        archive.GetUInt16();
        width = archive.GetInt32();
        height = archive.GetInt32();
        // The cell count is not stored: a negative side would turn into a count.
        int64_t cells = int64_t{width} * height;
        if (cells != 0 && (width < 0 || height < 0))
            throw FormatFailure();
        LoadBlock<LandCell>(archive, *this, static_cast<uint64_t>(cells));
        uint64_t points = GetLongCount(archive);
        LoadBlock(archive, concentrationPoints, points);
        concentrationPointCount = static_cast<int32_t>(points);
    }
}

void GEO_MakeLand::CopyParametersFrom(const GEO_MakeLand& other) {
    if (this == &other)
        return;
    // The only step that can fail comes first, so a failure changes nothing.
    PointArray points = other.concentrationPoints;
    seed = other.seed;
    width = other.width;
    height = other.height;
    unitAmount = other.unitAmount;
    processAmount = other.processAmount;
    waterLevel = other.waterLevel;
    concentrationRate = other.concentrationRate;
    concentrationAmount = other.concentrationAmount;
    concentrationPointCount = other.concentrationPointCount;
    concentrationPoints.Swap(points);
    keepRandomState = other.keepRandomState;
    manualPlacement = other.manualPlacement;
    progressTotal = other.progressTotal;
    progressCount = other.progressCount;
    twoThreads = other.twoThreads;
}
