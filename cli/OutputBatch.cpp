#include "cli/OutputBatch.h"

namespace cli {

void OutputBatch::Add(const std::filesystem::path& target,
                      const std::function<void(Archive&)>& writeBody) {
    staged_.push_back(std::make_unique<StagedFile>(target, writeBody));
}

void OutputBatch::CommitAll() {
    for (const std::unique_ptr<StagedFile>& file : staged_)
        file->Commit();
    staged_.clear();
}

}  // namespace cli
