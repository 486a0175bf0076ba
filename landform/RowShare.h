#pragma once
// Row bands of a grid shared between the calling thread and the worker. Only
// for passes where every cell writes its own result from values no band
// writes, so the bytes cannot depend on which thread took a band.

#include "core/ChunkShare.h"

#include <algorithm>
#include <cstdint>

// Calls rows(first, end) for bands of about 16 K cells covering 0..height.
template <class Rows>
void ShareRows(ChunkWorker& worker, int32_t width, int32_t height, Rows&& rows) {
    const int32_t perChunk = std::max(1, 16384 / std::max(1, width));
    const int32_t chunks = (height + perChunk - 1) / perChunk;
    const auto band = [&](int32_t c) {
        const int32_t first = c * perChunk;
        rows(first, std::min(first + perChunk, height));
    };
    worker.Share(
        chunks, [&](int32_t c, int64_t) { band(c); },
        [&](int32_t c) -> int64_t {
            band(c);
            return 1;
        },
        [](int64_t) {});
}
