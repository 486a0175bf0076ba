#include "data/OutputBatch.h"

#include "data/Failures.h"
#include "data/SaveTarget.h"
#include "data/TemporaryNames.h"

#include <set>

void OutputBatch::Add(const std::filesystem::path& target,
                      const std::function<void(Archive&)>& writeBody) {
    staged_.push_back(std::make_unique<StagedFile>(target, writeBody));
}

void OutputBatch::CommitAll() {
    size_t failed = staged_.size();
    int error = 0;
    WithEndingSignalsBlocked([&] {
        for (size_t k = 0; k < staged_.size() && error == 0; ++k)
            if ((error = staged_[k]->Place()) != 0)
                failed = k;
        if (error != 0) {
            // Latest first, so each name gets back the file it held.
            for (size_t k = failed; k-- > 0;)
                staged_[k]->Restore();
            return;
        }
        std::set<std::filesystem::path> directories;
        for (const std::unique_ptr<StagedFile>& file : staged_) {
            file->Settle();
            directories.insert(SaveDirectory(file->Destination()));
        }
        // Still held: a signal taken now ends a run whose renames are durable.
        for (const std::filesystem::path& directory : directories)
            SyncDirectory(directory);
    });
    if (error != 0) {
        const std::filesystem::path target = staged_[failed]->Target();
        staged_.clear();  // removes the temporary files, the restored new ones among them
        ThrowFileFailure(error, target);
    }
    staged_.clear();
}
