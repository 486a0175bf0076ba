#pragma once
// Outputs that are one file under two names, or the input under another:
// by device and inode when the file exists, else by the resolved path, so
// "./x.png", "/abs/x.png" and a symbolic link to it all count as x.png.

#include <optional>
#include <string>
#include <vector>

namespace cli {

struct NamedFile {
    std::string option;  // "-o", "--heightmap" or "input"
    std::string path;
};

// The first later file that is an earlier one, with the earlier one.
std::optional<std::pair<NamedFile, NamedFile>> FindSameFile(const std::vector<NamedFile>& files);

}  // namespace cli
