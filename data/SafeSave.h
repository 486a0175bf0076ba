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

    const std::filesystem::path& Target() const;
    const std::filesystem::path& Destination() const;  // the file a link at Target names

    void Commit();

    // Commit in steps that can be taken back, for a set of files (OutputBatch).
    // Place puts the new file in place and returns 0 or the errno of the
    // rename; where the file system can swap two names, the old file stays
    // under the temporary name until Settle removes it. Restore takes a Place
    // back and says whether the target is as it was: it cannot be when the
    // file system could not swap and an old file was renamed over, and when
    // the swap back fails the old file stays under the temporary name.
    int Place();
    bool Restore();
    void Settle();

  private:
    enum class Placing { NotYet, Swapped, Fresh, OverOld };
    struct State;
    std::unique_ptr<State> state_;
};

// Makes the renames done in a directory durable; nothing to report if it cannot.
void SyncDirectory(const std::filesystem::path& directory);
