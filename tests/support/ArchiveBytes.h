#pragma once
// Objects to and from the bytes an archive writes, in memory.
// Free of any test framework: the fuzz targets use it as well as the tests.

#include "data/Archive.h"
#include "data/FileDevices.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace testsupport {

// Serialize is one member for both directions, hence not const.
template <class T> std::vector<unsigned char> Serialized(T&& object) {
    MemorySink sink;
    Archive archive(sink);
    object.Serialize(archive);
    archive.Close();
    return sink.bytes();
}

template <class T> void Deserialize(T& object, const std::vector<unsigned char>& bytes) {
    MemorySource source(bytes);
    Archive archive(source);
    object.Serialize(archive);
}

// Overwrites a count or offset in serialized bytes; memcpy gives the archive's
// little-endian order on the hosts the tests run on.
inline void PutInt32At(std::vector<unsigned char>& bytes, size_t at, int32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

}  // namespace testsupport
