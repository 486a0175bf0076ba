#pragma once
// Material masks as each terrain engine imports them, from the weights of
// export/MaskRules.h, at the heightmap's own size and layout:
// - Unreal: one 8-bit greyscale weight map per material layer,
//   PREFIX<layer>.png, laid out as the heightmaps (edge, tiles);
// - Unity: RGBA splatmaps PREFIXsplat<k>.png, four layers each, square
//   powers of two from 16 to 4096 a side: the map's cells themselves (a
//   closed heightmap of 2^n + 1 samples covers 2^n cells), each tile K x L
//   of them;
// - Godot: the Terrain3D plugin's control map PREFIXcontrol.exr (its 32-bit
//   values, base and overlay texture ids and their blend, stored bit for
//   bit in a 32-bit float channel, as the plugin's FORMAT_RF images hold
//   them) and RGBA splatmaps PREFIXsplat<k>.png for the heightmap plugin,
//   laid out as the heightmaps.
// Every engine gets the sidecar PREFIXlayers.json listing the layers, the
// files and channels that hold them.

#include "export/HeightLayout.h"
#include "export/HeightmapSet.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class MaskEngine { Unreal, Unity, Godot };

struct MaskRequest {
    MaskEngine engine = MaskEngine::Unreal;
    std::string prefix;
    bool operator==(const MaskRequest&) const = default;
};

// "unreal", "unity" or "godot".
std::optional<MaskEngine> MaskEngineNamed(std::string_view name);
std::string_view MaskEngineName(MaskEngine engine);

// The terrain engines' alphamap sides Unity takes.
constexpr int32_t unitySplatMin = 16;
constexpr int32_t unitySplatMax = 4096;

struct MaskLayout {
    HeightEdge edge = HeightEdge::Wrap;
    int32_t tileColumns = 1;
    int32_t tileRows = 1;
};

// Why the engine takes no masks of a width x height map in this layout
// (naming the sizes it takes), or empty.
std::string MaskRefusal(MaskEngine engine, int32_t width, int32_t height, const MaskLayout& layout);

// Every file the masks make, known from the layout alone (the sidecar last).
std::vector<std::string> MaskPaths(const MaskRequest& request, const MaskLayout& layout);

// The files, from weights of MaskWeights over a width x height grid;
// noData (empty, or 1 a cell) marks Terrain3D's holes. Throws a
// CommandFailure of FailureKind::Layout for a layout MaskRefusal refuses.
std::vector<HeightmapPart> MaskParts(const MaskRequest& request, const MaskLayout& layout,
                                     int32_t width, int32_t height,
                                     std::shared_ptr<const std::vector<uint8_t>> weights,
                                     std::shared_ptr<const std::vector<uint8_t>> noData,
                                     const std::string& recipe);

// Terrain3D's control value of one cell's weights (maskLayerCount of them,
// adding to 255): the heaviest layer as base, the next as overlay (ties to
// the lower layer), their blend the overlay's share of the two.
uint32_t Terrain3DControl(const uint8_t* weights, bool hole);
