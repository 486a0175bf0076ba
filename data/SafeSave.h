#pragma once
// Saving that never destroys the previous file: the body is written to a
// temporary file in the target's directory, every write checked, synced, and
// renamed over the target only when complete. Any failure removes the
// temporary file, leaves the target untouched and throws FileFailure naming
// the target.

#include "data/Archive.h"

#include <filesystem>
#include <functional>
#include <memory>

void SaveSafely(const std::filesystem::path& target,
                const std::function<void(Archive&)>& writeBody);

// The same save in two steps, for files that must change together: the
// constructor writes, checks and syncs the temporary file (throwing as
// SaveSafely does), Commit renames it over the target. Destroyed uncommitted,
// it removes its temporary file and the target stays as it was.
class StagedFile {
  public:
    StagedFile(const std::filesystem::path& target, const std::function<void(Archive&)>& writeBody);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void Commit();

  private:
    struct State;
    std::unique_ptr<State> state_;
};
