#pragma once
// Byte sources and sinks over POSIX files and memory. File errors become
// FileFailure with the path and errno.

#include "data/Archive.h"

#include <filesystem>
#include <vector>

class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::filesystem::path& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    size_t ReadSome(void* destination, size_t n) override;
    uint64_t BytesLeft() const override;

  private:
    std::filesystem::path path_;
    int fd_ = -1;
    uint64_t size_ = 0;
    uint64_t offset_ = 0;
};

// Writes to an already open descriptor it does not own.
class FileSink : public ByteSink {
  public:
    FileSink(int fd, const std::filesystem::path& path) : fd_(fd), path_(path) {}
    void WriteAll(const void* source, size_t n) override;

  private:
    int fd_;
    std::filesystem::path path_;
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    size_t ReadSome(void* destination, size_t n) override;
    uint64_t BytesLeft() const override { return bytes_.size() - offset_; }

  private:
    std::vector<unsigned char> bytes_;
    size_t offset_ = 0;
};

class MemorySink : public ByteSink {
  public:
    void WriteAll(const void* source, size_t n) override;
    const std::vector<unsigned char>& bytes() const { return bytes_; }

  private:
    std::vector<unsigned char> bytes_;
};
