#include "cli/SameFile.h"

#include <filesystem>
#include <sys/stat.h>

namespace cli {

namespace {

namespace fs = std::filesystem;

struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string resolved;
    bool operator==(const Identity& o) const {
        return exists == o.exists &&
               (exists ? device == o.device && inode == o.inode : resolved == o.resolved);
    }
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
    std::vector<Identity> seen;
    for (const NamedFile& file : files) {
        const Identity id = IdentityOf(file.path);
        for (size_t k = 0; k < seen.size(); ++k)
            if (seen[k] == id)
                return std::make_pair(files[k], file);
        seen.push_back(id);
    }
    return std::nullopt;
}

}  // namespace cli
