#pragma once
// Where a safe save of a target puts its file and its temporary file, and
// whether it can: the checks a save would otherwise fail on part-way, made
// before anything is written, so that a run can refuse a set of outputs
// while every old file is still as it was.

#include <filesystem>
#include <string>

// The file a save of `target` replaces: the target, or the file a symbolic
// link there names (the link keeps pointing at the saved file).
std::filesystem::path SaveDestination(const std::filesystem::path& target);

// The directory the destination and its temporary file live in.
std::filesystem::path SaveDirectory(const std::filesystem::path& destination);

// The temporary file's mkstemp pattern: ".NAME.XXXXXX" beside the
// destination, NAME cut so the whole stays within the directory's limit on a
// name's length.
std::string TemporaryPattern(const std::filesystem::path& destination,
                             const std::filesystem::path& directory);

// 0 when a save of `target` can make its temporary file and rename it into
// place, else the errno the save would fail with: ENAMETOOLONG (a name above
// the file system's limit, a path or temporary path above PATH_MAX), ENOENT
// or ENOTDIR (no such folder), EISDIR (a folder in the file's place), EINVAL
// (a device or pipe there: renaming over it would replace the node).
int SaveTargetProblem(const std::filesystem::path& target);
