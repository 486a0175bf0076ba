// The page's float text (printf and strtof, for emscripten) against the
// standard library's to_chars, which the command line's mesh files use.

#include "export/FloatText.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string ToChars(float value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

float FromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(FloatText, PrintfFormMatchesToCharsOnMeshValuesAndEdges) {
    // Coordinates, normals' components and texture coordinates, and the
    // forms' boundaries: where fixed and exponent swap, powers of ten, extremes.
    const float values[] = {0.0f,      -0.0f,       1.0f,         -1.0f,        0.5f,
                            95.25f,    1e-4f,       1.5e-4f,      1e-5f,        0.001f,
                            123456.0f, 1234567.0f,  1e5f,         1e6f,         1e7f,
                            1e10f,     16777216.0f, 123456790.0f, 3.4e38f,      1.17549435e-38f,
                            1e-45f,    0.1f,        1.0f / 3,     0.0052083335f};
    for (float v : values)
        EXPECT_EQ(ShortestFloatTextByPrintf(v), ToChars(v)) << ToChars(v);
}

TEST(FloatText, PrintfFormMatchesToCharsAcrossTheFloats) {
    // Every 4099th bit pattern of the finite floats, both signs: each exponent many times.
    for (uint64_t bits = 0; bits < 0x7f800000u; bits += 4099) {
        for (uint32_t sign : {0u, 0x80000000u}) {
            const float v = FromBits(uint32_t(bits) | sign);
            ASSERT_EQ(ShortestFloatTextByPrintf(v), ToChars(v)) << "bits " << (bits | sign);
        }
    }
}

}  // namespace
