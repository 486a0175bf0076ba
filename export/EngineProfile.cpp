#include "export/EngineProfile.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int32_t, 7> unrealSizes = {127, 253, 505, 1009, 2017, 4033, 8129};
constexpr std::array<int32_t, 8> powerOfTwoPlusOne = {33, 65, 129, 257, 513, 1025, 2049, 4097};

constexpr std::array<EngineProfile, 3> profiles = {{
    {Engine::Unreal, "unreal", "Unreal", unrealSizes, ".png",
     "16-bit greyscale PNG or .r16 (little-endian); sample 32768 is the landscape's zero"},
    {Engine::Unity, "unity", "Unity", powerOfTwoPlusOne, ".r16",
     "raw 16-bit, little-endian (byte order Windows); sample 0 is the terrain's base"},
    // Godot 3 reads an EXR's floats as halves and a 16-bit PNG at 8 bits:
    // only raw 16-bit words, read by docs/godot/GlenvarR16.gd, arrive whole.
    {Engine::Godot, "godot", "Godot", powerOfTwoPlusOne, ".r16",
     "raw 16-bit, little-endian, read with docs/godot/GlenvarR16.gd (Godot 3 reads EXR as half "
     "floats and PNG at 8 bits); sample / 65535 is the altitude"},
}};

std::string Nearest(std::span<const int32_t> sizes, int32_t side) {
    const auto above = std::lower_bound(sizes.begin(), sizes.end(), side);
    std::string text;
    if (above != sizes.begin())
        text = std::to_string(*(above - 1));
    if (above != sizes.end())
        text += (text.empty() ? "" : " or ") + std::to_string(*above);
    return text;
}

bool Recommended(std::span<const int32_t> sizes, int32_t side) {
    return std::binary_search(sizes.begin(), sizes.end(), side);
}

}  // namespace

std::span<const EngineProfile> EngineProfiles() {
    return profiles;
}

const EngineProfile* EngineNamed(std::string_view name) {
    for (const EngineProfile& p : profiles)
        if (p.name == name)
            return &p;
    return nullptr;
}

const EngineProfile& ProfileOf(Engine engine) {
    return profiles[size_t(engine)];
}

std::string SizeWarning(const EngineProfile& profile, int32_t width, int32_t height) {
    const bool wide = Recommended(profile.sizes, width);
    const bool high = Recommended(profile.sizes, height);
    if (wide && high)
        return {};
    std::string text = std::string(profile.displayName) + "'s recommended heightmap sides are ";
    for (size_t i = 0; i < profile.sizes.size(); ++i)
        text += (i == 0                          ? ""
                 : i + 1 == profile.sizes.size() ? " and "
                                                 : ", ") +
                std::to_string(profile.sizes[i]);
    text += " samples; this one is " + std::to_string(width) + " x " + std::to_string(height) +
            " (nearest: ";
    if (!wide)
        text += "width " + Nearest(profile.sizes, width);
    if (!wide && !high)
        text += ", ";
    if (!high)
        text += "height " + Nearest(profile.sizes, height);
    return text + ")";
}

double UnrealZScale(double rangeMetres) {
    return rangeMetres * 100.0 / 512.0;
}
