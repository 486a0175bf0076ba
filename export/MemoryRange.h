#pragma once
// A ByteRange over bytes in memory that it does not own.

#include "export/ByteRange.h"

#include <string_view>

class MemoryRange : public ByteRange {
  public:
    explicit MemoryRange(std::string_view bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    std::string ReadAt(uint64_t at, size_t n) override {
        return at >= bytes_.size() ? std::string() : std::string(bytes_.substr(size_t(at), n));
    }

  private:
    std::string_view bytes_;
};
