#pragma once
// Where the desktop program keeps the disc stencil cache, and where the CLI
// looks unless told otherwise: the working directory.

#include <filesystem>

inline constexpr const char* stencilCacheFile = "makeland.bin";

// Whether a cache that could not be used may be written over: only when
// nothing is there, or when the file is recognisably a stencil table: it
// begins with the table's count of 200 (or is cut inside it, an empty file
// included), or it is a whole table of another length. Anything else is
// someone's file, named by mistake, and stays as it is.
bool MayRewriteStencilCache(const std::filesystem::path& path);
