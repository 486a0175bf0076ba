#pragma once
// Objects and map files to and from the bytes an archive writes, in memory.
// Free of any test framework: the fuzz targets use it as well as the tests.

#include "core/GEO_MakeLand.h"
#include "data/Archive.h"
#include "data/FileDevices.h"
#include "core/MapFile.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace testsupport {

// Serialize is one member for both directions, hence not const.
template <class T>
std::vector<unsigned char> Serialized(T&& object) {
    MemorySink sink;
    Archive archive(sink);
    object.Serialize(archive);
    archive.Close();
    return sink.bytes();
}

template <class T>
void Deserialize(T& object, const std::vector<unsigned char>& bytes) {
    MemorySource source(bytes);
    Archive archive(source);
    object.Serialize(archive);
}

// The terrain as the map or raw file of `kind` would hold it.
inline std::vector<unsigned char> Stored(GEO_MakeLand& t, MapFileKind kind) {
    MemorySink sink;
    Archive archive(sink);
    if (kind == MapFileKind::Map) t.Serialize(archive);
    else t.SerializeRaw(archive);
    archive.Close();
    return sink.bytes();
}

// As the open command reads a file holding `bytes`.
inline MapFileKind Load(GEO_MakeLand& t, std::vector<unsigned char> bytes) {
    MemorySource source(std::move(bytes));
    Archive archive(source);
    return LoadMapFile(t, archive);
}

// Overwrites a count or offset in serialized bytes; memcpy gives the archive's
// little-endian order on the hosts the tests run on.
inline void PutInt32At(std::vector<unsigned char>& bytes, size_t at, int32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

}  // namespace testsupport
