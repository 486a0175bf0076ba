#pragma once
// Where the desktop program keeps the disc stencil cache, and where the CLI
// looks unless told otherwise: the working directory.

inline constexpr const char* stencilCacheFile = "makeland.bin";
