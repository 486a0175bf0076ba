#pragma once
// A run's outputs change together: each is written in full to a temporary
// file beside its target first, and only when all of them were written are
// they renamed into place. A failure or a signal before that leaves every
// old file as it was and no temporary file behind.
//
// The renames run with the ending signals blocked in the calling thread, so
// a signal then is taken once the whole set is in place, never between two
// of its files. A rename that fails part-way puts back every file already
// renamed, so the set is again the old one; only a file system that cannot
// swap two names (no RENAME_EXCHANGE) loses the old file of a target renamed
// over before the failure, and a swap back that fails leaves the old file
// under its hidden temporary name.

#include "data/SafeSave.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class Archive;

class OutputBatch {
  public:
    // Writes the temporary file now; throws as SaveSafely does.
    void Add(const std::filesystem::path& target, const std::function<void(Archive&)>& writeBody);
    // Renames every file into place, in the order they were added (a
    // heightmap's tiles before the sidecar that lists them); throws the
    // FileFailure of the rename that failed, after putting the others back.
    void CommitAll();

  private:
    std::vector<std::unique_ptr<StagedFile>> staged_;
};
