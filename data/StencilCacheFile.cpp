#include "data/StencilCacheFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <sys/stat.h>

namespace {

int64_t GetInt32(std::ifstream& in) {
    unsigned char b[4] = {};
    if (!in.read(reinterpret_cast<char*>(b), 4))
        return -1;
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                   uint32_t(b[3]) << 24);
}

// The table's archive begins with its stencil count, 200, little-endian; a
// file cut inside those four bytes is a cache too.
bool BeginsAsTheTable(std::ifstream& in, uint64_t size) {
    const char head[4] = {char(0xC8), 0, 0, 0};
    char read[4] = {};
    in.read(read, sizeof read);
    const auto got = size_t(in.gcount());
    return got == std::min<uint64_t>(size, sizeof read) && std::equal(read, read + got, head);
}

// Or it is a whole table of another length: a count, then as many stencils,
// each a count of points and the points, ending exactly at the end of the file.
bool IsWholeTable(std::ifstream& in, uint64_t size) {
    in.clear();
    in.seekg(0);
    const int64_t count = GetInt32(in);
    if (count <= 0 || uint64_t(count) > size / 4)
        return false;
    uint64_t at = 4;
    for (int64_t k = 0; k < count; ++k) {
        const int64_t points = GetInt32(in);
        if (points < 0)
            return false;
        at += 4 + 8 * uint64_t(points);
        if (at > size || !in.seekg(std::streamoff(at)))
            return false;
    }
    return at == size;
}

}  // namespace

bool MayRewriteStencilCache(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISREG(info.st_mode))
        return false;
    std::ifstream in(path, std::ios::binary);
    const auto size = uint64_t(info.st_size);
    return in && (BeginsAsTheTable(in, size) || IsWholeTable(in, size));
}
