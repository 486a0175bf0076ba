#pragma once
// Saving that never destroys the previous file: the body is written to a
// temporary file in the target's directory, every write checked, synced, and
// renamed over the target only when complete. Any failure removes the
// temporary file, leaves the target untouched and throws FileFailure naming
// the target.

#include "data/Archive.h"

#include <filesystem>
#include <functional>

void SaveSafely(const std::filesystem::path& target,
                const std::function<void(Archive&)>& writeBody);
