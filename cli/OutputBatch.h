#pragma once
// A run's outputs change together: each is written in full to a temporary
// file beside its target first, and only when all of them were written are
// they renamed into place. A failure or a signal before that leaves every
// old file as it was and no temporary file behind.

#include "data/SafeSave.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class Archive;

namespace cli {

class OutputBatch {
  public:
    // Writes the temporary file now; throws as SaveSafely does.
    void Add(const std::filesystem::path& target, const std::function<void(Archive&)>& writeBody);
    // Renames every file into place, in the order they were added.
    void CommitAll();

  private:
    std::vector<std::unique_ptr<StagedFile>> staged_;
};

}  // namespace cli
