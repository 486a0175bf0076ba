#pragma once
// Scratch directories, small disks and whole-file reads and writes, shared by
// the data, core and command-line tests. Free of any test framework so
// that every kind of test program can use it.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/mount.h>
#include <system_error>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Empty when the file cannot be read. The size is asked first, so a pipe in
// the file's place gives nothing instead of blocking.
inline Bytes ReadBytes(const fs::path& path) {
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    if (error)
        return {};
    Bytes bytes(size_t(size), 0);
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

inline void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Sorted, so a comparison does not depend on the order the directory lists them.
inline std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh directory, removed with everything in it. Throws when it cannot be
// made, so a test never writes into the working directory instead. `base` lets
// a test put it on a memory file system when it writes a lot.
class ScratchDir {
  public:
    explicit ScratchDir(const fs::path& base = fs::temp_directory_path()) {
        std::string pattern = (base / "glenvar-test-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), pattern);
        path_ = name.data();
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    // Everything in the directory, for checking that no temporary file was left.
    std::vector<std::string> Entries() const { return testsupport::Entries(path_); }

  private:
    fs::path path_;
};

// A tmpfs of the given size ("16k") mounted on a fresh directory, for disks
// that fill up or turn read-only. Mounting needs root: when mounted() is false
// the test skips, and errno still holds mount()'s error for tests that report
// it themselves (nothing after the mount may touch errno).
class SmallDisk {
  public:
    explicit SmallDisk(const char* size) : mountPoint_(dir_ / "disk") {
        fs::create_directory(mountPoint_);
        char options[64];
        std::snprintf(options, sizeof options, "size=%s", size);
        mounted_ = ::mount("tmpfs", mountPoint_.c_str(), "tmpfs", 0, options) == 0;
        if (!mounted_)
            error_ = errno;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(mountPoint_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    std::string why() const {
        return std::string("cannot mount a tmpfs here: ") + std::strerror(error_);
    }
    const fs::path& path() const { return mountPoint_; }
    bool MakeReadOnly() {
        return ::mount(nullptr, mountPoint_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    ScratchDir dir_;
    fs::path mountPoint_;
    bool mounted_ = false;
    int error_ = 0;
};

}  // namespace testsupport
