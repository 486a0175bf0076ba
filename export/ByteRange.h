#pragma once
// Bytes read at an offset, as many as there are, so that a reader of a
// file's metadata steps over what it does not need instead of reading it.

#include <cstddef>
#include <cstdint>
#include <string>

class ByteRange {
  public:
    virtual ~ByteRange() = default;
    virtual uint64_t Size() const = 0;
    // Up to n bytes at offset `at`; fewer only at the end.
    virtual std::string ReadAt(uint64_t at, size_t n) = 0;
};
