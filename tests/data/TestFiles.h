#pragma once
// The shared scratch-file helpers under the names the data tests use.

#include "tests/support/ScratchFiles.h"

using testsupport::Bytes;
using testsupport::Entries;
using testsupport::ScratchDir;

inline Bytes ReadFileBytes(const std::filesystem::path& path) { return testsupport::ReadBytes(path); }

inline void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
    testsupport::WriteBytes(path, bytes);
}
