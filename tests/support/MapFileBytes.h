#pragma once
// Map and raw files to and from bytes in memory, as the save and open commands
// write and read them. Free of any test framework: the fuzz targets use it as
// well as the tests.

#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "data/Archive.h"
#include "data/FileDevices.h"

#include <utility>
#include <vector>

namespace testsupport {

// The terrain as the map or raw file of `kind` would hold it.
inline std::vector<unsigned char> Stored(GEO_MakeLand& t, MapFileKind kind) {
    MemorySink sink;
    Archive archive(sink);
    if (kind == MapFileKind::Map)
        t.Serialize(archive);
    else
        t.SerializeRaw(archive);
    archive.Close();
    return sink.bytes();
}

// As the open command reads a file holding `bytes`.
inline MapFileKind Load(GEO_MakeLand& t, std::vector<unsigned char> bytes) {
    MemorySource source(std::move(bytes));
    Archive archive(source);
    return LoadMapFile(t, archive);
}

}  // namespace testsupport
