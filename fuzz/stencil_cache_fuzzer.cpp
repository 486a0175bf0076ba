// LoadOrBuild over an arbitrary "makeland.bin". Whatever the file holds, the
// call must end with a table the generator can use: 200 stencils, stencil k
// inside the (k + 1) x (k + 1) square. A file it takes is used exactly as it
// stands; a file it refuses is replaced by the built table. The build itself
// is a stand-in here: the real one takes about a second under ASan and would
// leave the reader a handful of inputs a minute.

#include "FuzzCheck.h"
#include "data/FileDevices.h"
#include "data/GEO_LandCircle.h"
#include "tests/support/ArchiveBytes.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;
using testsupport::Serialized;

// 200 stencils of one centre cell each: sane, cheap, and unlike an empty table.
GEO_LandCircleArray StandIn() {
    GEO_LandCircleArray table;
    PointArray centre;
    centre.Add({0, 0});
    for (int32_t k = 0; k < GEO_LandCircleArray::stencilCount; ++k)
        table.AddCircle(centre);
    return table;
}

const Bytes& StandInBytes() {
    static const Bytes bytes = [] {
        GEO_LandCircleArray table = StandIn();
        return Serialized(table);
    }();
    return bytes;
}

// Every refused input rewrites the cache: a memory file system keeps that off
// the disk and makes the sync free.
class Scratch {
  public:
    Scratch() {
        std::error_code error;
        fs::path base =
            fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "glenvar-fuzz-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        FUZZ_CHECK(::mkdtemp(name.data()) != nullptr);
        dir_ = name.data();
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path Cache() const { return dir_ / "makeland.bin"; }

  private:
    fs::path dir_;
};

Bytes ReadAll(const fs::path& path) {
    std::error_code error;
    Bytes bytes(size_t(fs::file_size(path, error)));
    FUZZ_CHECK(!error);
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    FUZZ_CHECK(in.gcount() == std::streamsize(bytes.size()));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Scratch scratch;
    const fs::path cache = scratch.Cache();
    {
        std::ofstream out(cache, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        FUZZ_CHECK(out.good());
    }

    const bool rewritable = MayRewriteStencilCache(cache);
    GEO_LandCircleArray table;
    table.LoadOrBuild(cache, &StandIn);
    FUZZ_CHECK(table.GetSize() == GEO_LandCircleArray::stencilCount);
    for (int32_t k = 0; k < table.GetSize(); ++k) {
        const int32_t d = k + 1, low = -(d / 2), high = d - 1 - d / 2;
        FUZZ_CHECK(int64_t{table[k].GetSize()} <= int64_t{d} * d);
        for (const Point& p : table[k])
            FUZZ_CHECK(p.x >= low && p.x <= high && p.y >= low && p.y <= high);
    }

    const Bytes tableBytes = Serialized(table);
    const Bytes file = ReadAll(cache);
    const bool taken = tableBytes.size() == size && std::memcmp(tableBytes.data(), data, size) == 0;
    if (taken) {
        FUZZ_CHECK(file.size() == size && std::memcmp(file.data(), data, size) == 0);
    } else {
        FUZZ_CHECK(tableBytes == StandInBytes());
        // Only what is recognisably a stencil table is written over; one that
        // begins with the count 200 always is.
        const unsigned char head[4] = {0xC8, 0, 0, 0};
        FUZZ_CHECK(!(std::memcmp(data, head, std::min<size_t>(size, 4)) == 0) || rewritable);
        FUZZ_CHECK(rewritable ? file == StandInBytes()
                              : file.size() == size && std::memcmp(file.data(), data, size) == 0);
    }
    return 0;
}
