#include "data/FileDevices.h"

#include "data/Failures.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileSource::FileSource(const std::filesystem::path& path) : path_(path) {
    // Non-blocking, so that a pipe without a writer is refused below instead of
    // hanging the open; reads from a regular file are unaffected.
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        ThrowFileFailure(errno, path_);
    struct stat info {};
    int error = 0;
    if (::fstat(fd_, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        // A pipe or device has no size to check counts against, and may never end.
        error = EINVAL;
    }
    if (error != 0) {
        ::close(fd_);
        fd_ = -1;
        ThrowFileFailure(error, path_);
    }
    size_ = static_cast<uint64_t>(info.st_size);
}

FileSource::~FileSource() {
    if (fd_ >= 0)
        ::close(fd_);
}

size_t FileSource::ReadSome(void* destination, size_t n) {
    // Linux transfers at most about 2 GiB per call; the caller loops.
    constexpr size_t largestRead = size_t{1} << 30;
    if (n > largestRead)
        n = largestRead;
    for (;;) {
        ssize_t got = ::read(fd_, destination, n);
        if (got >= 0) {
            offset_ += static_cast<uint64_t>(got);
            return static_cast<size_t>(got);
        }
        if (errno != EINTR)
            ThrowFileFailure(errno, path_);
    }
}

uint64_t FileSource::BytesLeft() const {
    return offset_ < size_ ? size_ - offset_ : 0;
}

void FileSink::WriteAll(const void* source, size_t n) {
    constexpr size_t largestWrite = size_t{1} << 30;
    const auto* bytes = static_cast<const unsigned char*>(source);
    while (n > 0) {
        size_t chunk = n < largestWrite ? n : largestWrite;
        errno = 0;
        ssize_t wrote = ::write(fd_, bytes, chunk);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            // write() returning 0 for a non-empty request means the device took
            // nothing more: treat it as a full disk rather than loop forever.
            int error = wrote == 0 || errno == 0 ? ENOSPC : errno;
            ThrowFileFailure(error, path_);
        }
        bytes += wrote;
        n -= static_cast<size_t>(wrote);
    }
}

size_t MemorySource::ReadSome(void* destination, size_t n) {
    size_t left = bytes_.size() - offset_;
    if (n > left)
        n = left;
    if (n > 0)
        std::memcpy(destination, bytes_.data() + offset_, n);
    offset_ += n;
    return n;
}

void MemorySink::WriteAll(const void* source, size_t n) {
    const auto* bytes = static_cast<const unsigned char*>(source);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
}
