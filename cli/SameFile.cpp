#include "cli/SameFile.h"

#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace cli {

namespace {

namespace fs = std::filesystem;

struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string resolved;
};

Identity IdentityOf(const std::string& path) {
    Identity id;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        id.exists = true;
        id.device = info.st_dev;
        id.inode = info.st_ino;
        return id;
    }
    // A link to a file not yet made names that file: follow it by hand.
    std::error_code error;
    fs::path full = fs::absolute(path, error);
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(full, error)); ++hops) {
        const fs::path target = fs::read_symlink(full, error);
        if (error)
            break;
        full = target.is_absolute() ? target : full.parent_path() / target;
    }
    const fs::path resolved = fs::weakly_canonical(full, error);
    id.resolved = (error ? full : resolved).lexically_normal().string();
    return id;
}

}  // namespace

std::optional<std::pair<NamedFile, NamedFile>> FindSameFile(const std::vector<NamedFile>& files) {
    // Looked up, not compared pairwise: a run of 64 x 64 tiles names thousands of files.
    std::map<std::pair<dev_t, ino_t>, size_t> existing;
    std::map<std::string, size_t> resolved;
    for (size_t k = 0; k < files.size(); ++k) {
        const Identity id = IdentityOf(files[k].path);
        const size_t earlier = id.exists
                                   ? existing.try_emplace({id.device, id.inode}, k).first->second
                                   : resolved.try_emplace(id.resolved, k).first->second;
        if (earlier != k)
            return std::make_pair(files[earlier], files[k]);
    }
    return std::nullopt;
}

}  // namespace cli
