#pragma once
// A 32-bit picture laid out so that a QImage of Format_RGB32 can wrap it
// without a copy: one 0xFFRRGGBB word per pixel, rows top to bottom.

#include <cstddef>
#include <cstdint>
#include <vector>

using COLORREF = uint32_t;  // red in bits 0-7, green 8-15, blue 16-23

constexpr uint32_t PixelFromColorRef(COLORREF c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}

struct Picture {
    Picture() = default;
    Picture(int32_t w, int32_t h, uint32_t fill = 0xFF000000u)
        : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

    uint32_t& at(int32_t x, int32_t y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t at(int32_t x, int32_t y) const {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
    void Fill(uint32_t pixel) { pixels.assign(pixels.size(), pixel); }

    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};
