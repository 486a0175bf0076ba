#include "export/FileRange.h"

#include "data/Failures.h"

#include <algorithm>
#include <cerrno>

namespace fs = std::filesystem;

// A device (/dev/zero never ends), a pipe (opening it may wait forever for a
// writer) or a socket is refused before it is opened, a directory too.
FileRange::FileRange(const fs::path& path) : path_(path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error)
        ThrowFileFailure(error.value(), path);
    if (fs::is_directory(status))
        ThrowFileFailure(EISDIR, path);
    if (!fs::is_regular_file(status))
        throw CommandFailure(path.string() + ": not a regular file", FailureKind::File);
    in_.open(path, std::ios::binary);
    if (!in_)
        ThrowFileFailure(errno ? errno : EACCES, path);
    size_ = fs::file_size(path, error);
    if (error)
        ThrowFileFailure(error.value(), path);
}

std::string FileRange::ReadAt(uint64_t at, size_t n) {
    if (at >= size_)
        return {};
    std::string bytes(size_t(std::min<uint64_t>(n, size_ - at)), '\0');
    in_.clear();
    in_.seekg(std::streamoff(at));
    in_.read(bytes.data(), std::streamsize(bytes.size()));
    if (in_.bad())
        ThrowFileFailure(errno ? errno : EIO, path_);
    bytes.resize(size_t(in_.gcount()));  // the file may have shrunk since
    return bytes;
}
