#pragma once
// What each terrain engine wants of a heightmap: the sizes it recommends, the
// form it reads best, the byte order of its raw form and where it puts the
// sea. Choosing an engine changes no sample: it closes the edge, checks the
// size and writes the engine's numbers into the sidecar.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class Engine { Unreal, Unity, Godot };

struct EngineProfile {
    Engine engine;
    std::string_view name;           // as --engine takes it
    std::string_view displayName;    // as messages and the README name it
    std::span<const int32_t> sizes;  // recommended samples a side, ascending
    std::string_view preferredExtension;
    std::string_view note;  // how the engine reads the form and where its sea is
};

std::span<const EngineProfile> EngineProfiles();
const EngineProfile* EngineNamed(std::string_view name);
const EngineProfile& ProfileOf(Engine engine);

// Empty when both sides are recommended sizes; otherwise a warning naming the
// nearest recommended sizes below and above each side that is not one.
std::string SizeWarning(const EngineProfile& profile, int32_t width, int32_t height);

// Unreal's landscape Z scale for samples spanning `rangeMetres`: at scale 100
// the 65536 samples span 512 m.
double UnrealZScale(double rangeMetres);
