#pragma once
// Whole arrays of plain records to and from an archive as one block. Loading
// checks the count against what the source can still deliver before anything
// is allocated, and a block cut short by the end of the file is a failure.

#include "data/Archive.h"
#include "data/Failures.h"
#include "data/GrowableArray.h"

#include <cstdint>
#include <limits>
#include <type_traits>

template <class T> void StoreBlock(Archive& archive, const GrowableArray<T>& array) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (array.GetSize() > 0)
        archive.Write(array.GetData(), sizeof(T) * size_t(array.GetSize()));
}

template <class T> void LoadBlock(Archive& archive, GrowableArray<T>& array, uint64_t count) {
    static_assert(std::is_trivially_copyable_v<T>);
    // Counts come from 32-bit fields, so the byte size cannot overflow 64 bits.
    archive.RequireBytes(count * sizeof(T));
    if (count > uint64_t(std::numeric_limits<int32_t>::max()))
        throw FormatFailure();
    array.SetSize(static_cast<int32_t>(count));
    size_t bytes = sizeof(T) * size_t(count);
    if (bytes > 0 && archive.Read(array.GetData(), bytes) != bytes)
        throw EndOfFileFailure();
}

// A 32-bit count that must not be negative.
inline uint64_t GetLongCount(Archive& archive) {
    int32_t count = archive.GetInt32();
    if (count < 0)
        throw FormatFailure();
    return static_cast<uint64_t>(count);
}
