#include "data/SaveTarget.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

size_t NameLimit(const fs::path& directory) {
    const long limit = ::pathconf(directory.c_str(), _PC_NAME_MAX);
    return limit > 0 ? size_t(limit) : size_t(NAME_MAX);
}

}  // namespace

fs::path SaveDestination(const fs::path& target) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(target, error)))
        return target;
    fs::path resolved = fs::weakly_canonical(target, error);
    return error ? target : resolved;
}

fs::path SaveDirectory(const fs::path& destination) {
    fs::path directory = destination.parent_path();
    return directory.empty() ? fs::path(".") : directory;
}

std::string TemporaryPattern(const fs::path& destination, const fs::path& directory) {
    std::string name = destination.filename().string();
    // A legal name of the longest length must still be savable: 8 bytes for ".", ".XXXXXX".
    const size_t limit = NameLimit(directory);
    const size_t room = limit > 8 ? limit - 8 : 1;
    if (name.size() > room)
        name.resize(room);
    // Appended, not "." + name: GCC 12 at -O2 warns of an overlapping copy there.
    std::string leaf(1, '.');
    leaf += name;
    leaf += ".XXXXXX";
    return (directory / leaf).string();
}

int SaveTargetProblem(const fs::path& target) {
    if (target.empty())
        return ENOENT;
    // The lexical limits first: stat would only say "no such file" for some.
    if (target.native().size() >= PATH_MAX)
        return ENAMETOOLONG;
    for (const fs::path& part : target)
        if (part.native().size() > NAME_MAX)
            return ENAMETOOLONG;
    const fs::path destination = SaveDestination(target);
    if (destination.filename().empty())
        return EISDIR;
    const fs::path directory = SaveDirectory(destination);
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ENOTDIR;
    if (destination.filename().native().size() > NameLimit(directory) ||
        destination.native().size() >= PATH_MAX ||
        TemporaryPattern(destination, directory).size() >= PATH_MAX)
        return ENAMETOOLONG;
    if (::stat(destination.c_str(), &info) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return EINVAL;
    return 0;
}
