#pragma once
// Reading and writing the two map forms: the map file (marker "LS") and the
// raw data file (marker "LD").

#include <filesystem>
#include <vector>

class Archive;
class GEO_MakeLand;

enum class MapFileKind { None, Map, Raw };

// Reads either form by its marker into a fresh terrain and takes it over only
// when the whole file was read and is consistent; on any failure `terrain` is
// unchanged and the failure is thrown. Any other marker changes nothing.
MapFileKind LoadMapFile(GEO_MakeLand& terrain, Archive& archive);

// Opens the path and loads it as above; file errors throw FileFailure.
MapFileKind LoadMapFile(GEO_MakeLand& terrain, const std::filesystem::path& path);

// The same from bytes in memory, as a page without files or a test holds them.
MapFileKind LoadMapFileBytes(GEO_MakeLand& terrain, std::vector<unsigned char> bytes);

// The bytes the map form (Map) or the raw form (Raw) of the terrain consists of.
std::vector<unsigned char> MapFileBytes(const GEO_MakeLand& terrain, MapFileKind form);

// Writes the map form (Map) or the raw form (Raw) of the terrain.
void StoreMapFile(const GEO_MakeLand& terrain, MapFileKind form, Archive& archive);

// Safe saves of the two forms (see SaveSafely).
void SaveMapFile(const GEO_MakeLand& terrain, const std::filesystem::path& path);
void SaveRawFile(const GEO_MakeLand& terrain, const std::filesystem::path& path);
