#pragma once
// Little-endian fields put together by hand, independent of the archive, for
// files the program's own writers would never make. Free of any test
// framework: the fuzz seed writer uses it too.

#include "tests/support/Bits.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace testsupport {

struct ByteWriter {
    std::vector<unsigned char> bytes;

    ByteWriter& raw(const void* p, size_t n) {
        auto* b = static_cast<const unsigned char*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
    ByteWriter& raw(const std::vector<unsigned char>& b) { return raw(b.data(), b.size()); }
    ByteWriter& text(const char* s) { return raw(s, std::strlen(s)); }
    ByteWriter& le(uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
        return *this;
    }
    ByteWriter& u16(uint16_t v) { return le(v, 2); }
    ByteWriter& i32(int32_t v) { return le(uint32_t(v), 4); }
    ByteWriter& u32(uint32_t v) { return le(v, 4); }
    ByteWriter& u64(uint64_t v) { return le(v, 8); }
    ByteWriter& f64(double v) { return le(Bits(v), 8); }
};

}  // namespace testsupport
