#include "core/MapFile.h"

#include "core/GEO_MakeLand.h"
#include "data/Archive.h"
#include "data/Failures.h"
#include "data/FileDevices.h"
#include "data/SafeSave.h"

#include <cstring>
#include <utility>

namespace {

// Only a grid that matches its stated size may reach the renderer, the
// statistics or the generator.
void RequireConsistentGrid(const GEO_MakeLand& terrain) {
    if (terrain.GetSize() > 0 && !terrain.CellGridSize().formsGrid)
        throw FormatFailure();
}

// All or nothing: CopyParametersFrom changes nothing when it fails, and the swap cannot fail.
void TakeOver(GEO_MakeLand& terrain, GEO_MakeLand& loaded) {
    terrain.CopyParametersFrom(loaded);
    static_cast<GrowableArray<LandCell>&>(terrain).Swap(loaded);
    bool hasCells = terrain.GetSize() > 0;
    terrain.gridWidth = hasCells ? terrain.width : 0;
    terrain.gridHeight = hasCells ? terrain.height : 0;
}

}  // namespace

MapFileKind LoadMapFile(GEO_MakeLand& terrain, Archive& archive) {
    char marker[2] = {};
    if (archive.Read(marker, sizeof marker) != sizeof marker)
        return MapFileKind::None;
    MapFileKind kind = MapFileKind::None;
    if (std::memcmp(marker, "LS", 2) == 0)
        kind = MapFileKind::Map;
    if (std::memcmp(marker, "LD", 2) == 0)
        kind = MapFileKind::Raw;
    if (kind == MapFileKind::None)
        return kind;

    // A raw file holds no parameters, so those it lacks come from the terrain.
    GEO_MakeLand loaded;
    loaded.CopyParametersFrom(terrain);
    if (kind == MapFileKind::Map)
        loaded.Serialize(archive);
    else
        loaded.SerializeRaw(archive);
    RequireConsistentGrid(loaded);
    TakeOver(terrain, loaded);
    return kind;
}

MapFileKind LoadMapFile(GEO_MakeLand& terrain, const std::filesystem::path& path) {
    FileSource source(path);
    Archive archive(source);
    return LoadMapFile(terrain, archive);
}

MapFileKind LoadMapFileBytes(GEO_MakeLand& terrain, std::vector<unsigned char> bytes) {
    MemorySource source(std::move(bytes));
    Archive archive(source);
    return LoadMapFile(terrain, archive);
}

// Storing does not change the terrain; Serialize is non-const only because it
// also loads.
void StoreMapFile(const GEO_MakeLand& terrain, MapFileKind form, Archive& archive) {
    auto& t = const_cast<GEO_MakeLand&>(terrain);
    if (form == MapFileKind::Raw)
        t.SerializeRaw(archive);
    else
        t.Serialize(archive);
}

std::vector<unsigned char> MapFileBytes(const GEO_MakeLand& terrain, MapFileKind form) {
    MemorySink sink;
    Archive archive(sink);
    StoreMapFile(terrain, form, archive);
    archive.Close();
    return sink.bytes();
}

void SaveMapFile(const GEO_MakeLand& terrain, const std::filesystem::path& path) {
    SaveSafely(path,
               [&terrain](Archive& archive) { StoreMapFile(terrain, MapFileKind::Map, archive); });
}

void SaveRawFile(const GEO_MakeLand& terrain, const std::filesystem::path& path) {
    SaveSafely(path,
               [&terrain](Archive& archive) { StoreMapFile(terrain, MapFileKind::Raw, archive); });
}
