#pragma once
// A ByteRange over a regular file. Throws FileFailure when it cannot be read,
// a CommandFailure of FailureKind::File for anything but a regular file or a
// directory.

#include "export/ByteRange.h"

#include <filesystem>
#include <fstream>

class FileRange : public ByteRange {
  public:
    explicit FileRange(const std::filesystem::path& path);
    uint64_t Size() const override { return size_; }
    std::string ReadAt(uint64_t at, size_t n) override;

  private:
    std::filesystem::path path_;
    std::ifstream in_;
    uint64_t size_ = 0;
};
