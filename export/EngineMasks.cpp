#include "export/EngineMasks.h"

#include "data/Archive.h"
#include "data/Failures.h"
#include "export/ExrFile.h"
#include "export/HeightWindow.h"
#include "export/MaskRules.h"
#include "export/PngFile.h"
#include "export/Sidecar.h"

#include <bit>
#include <cstring>
#include <filesystem>

namespace {

constexpr int32_t splatCount = (maskLayerCount + 3) / 4;

// The tiles of the masks: the heightmap's for Unreal and Godot; for Unity
// the cells cut evenly, with no shared edge.
std::vector<HeightTile> MaskTiles(MaskEngine engine, int32_t width, int32_t height,
                                  const MaskLayout& layout) {
    if (engine == MaskEngine::Unity) {
        std::vector<HeightTile> tiles;
        const int32_t w = width / layout.tileColumns, h = height / layout.tileRows;
        for (int32_t j = 0; j < layout.tileRows; ++j)
            for (int32_t i = 0; i < layout.tileColumns; ++i)
                tiles.push_back({i, j, i * w, j * h, w, h});
        return tiles;
    }
    const bool closed = layout.edge == HeightEdge::Repeat;
    const int32_t w = width + (closed ? 1 : 0), h = height + (closed ? 1 : 0);
    if (layout.tileColumns == 1 && layout.tileRows == 1)
        return {{0, 0, 0, 0, w, h}};
    return TilesOf(w, h, layout.tileColumns, layout.tileRows);
}

bool Tiled(const MaskLayout& layout) {
    return layout.tileColumns != 1 || layout.tileRows != 1;
}

std::string FilePath(const std::string& prefix, const std::string& name, const MaskLayout& layout,
                     const HeightTile& tile) {
    const std::string path = prefix + name;
    return Tiled(layout) ? TilePath(path, tile) : path;
}

// The files of one tile, each with its name.
struct TileFile {
    std::string name;  // without prefix and tile: "rock.png"
    enum Kind { Weight, Splat, Control } kind;
    int32_t index;  // the layer or the splatmap
};

std::vector<TileFile> FilesOf(MaskEngine engine) {
    std::vector<TileFile> files;
    if (engine == MaskEngine::Unreal) {
        for (int32_t k = 0; k < maskLayerCount; ++k)
            files.push_back(
                {std::string(MaskLayerName(MaskLayer(k))) + ".png", TileFile::Weight, k});
        return files;
    }
    if (engine == MaskEngine::Godot)
        files.push_back({"control.exr", TileFile::Control, 0});
    for (int32_t s = 0; s < splatCount; ++s)
        files.push_back({"splat" + std::to_string(s) + ".png", TileFile::Splat, s});
    return files;
}

struct Source {
    int32_t width, height;
    std::shared_ptr<const std::vector<uint8_t>> weights;
    std::shared_ptr<const std::vector<uint8_t>> noData;

    // The cell under sample (x, y) of a tile: a closed edge repeats the first.
    size_t Cell(const HeightTile& t, int32_t x, int32_t y) const {
        const int32_t sx = (t.x + x) % width, sy = (t.y + y) % height;
        return size_t(sy) * size_t(width) + size_t(sx);
    }
    const uint8_t* Weights(size_t cell) const {
        return weights->data() + cell * size_t(maskLayerCount);
    }
};

std::vector<unsigned char> Encoded(const Source& s, const HeightTile& t, const TileFile& f,
                                   const std::string& recipe) {
    const size_t n = size_t(t.width) * size_t(t.height);
    if (f.kind == TileFile::Control) {
        // Each value's bits as a float; the writer rounds a double to single
        // precision, which gives those bits back exactly.
        AltitudeGrid values(t.width, t.height);
        for (int32_t y = 0; y < t.height; ++y)
            for (int32_t x = 0; x < t.width; ++x) {
                const size_t c = s.Cell(t, x, y);
                const bool hole = !s.noData->empty() && (*s.noData)[c];
                values.at(x, y) =
                    double(std::bit_cast<float>(Terrain3DControl(s.Weights(c), hole)));
            }
        return EncodeHeightmapExr(HeightWindow::OfGrid(values), recipe);
    }
    const int32_t channels = f.kind == TileFile::Weight ? 1 : 4;
    std::vector<uint8_t> samples(n * size_t(channels), 0);
    size_t o = 0;
    for (int32_t y = 0; y < t.height; ++y)
        for (int32_t x = 0; x < t.width; ++x) {
            const uint8_t* w = s.Weights(s.Cell(t, x, y));
            for (int32_t ch = 0; ch < channels; ++ch) {
                const int32_t layer = channels == 1 ? f.index : f.index * 4 + ch;
                samples[o++] = layer < maskLayerCount ? w[layer] : 0;
            }
        }
    return EncodeSamplesPng(t.width, t.height, channels, samples, recipe);
}

std::string SidecarText(const MaskRequest& r, const MaskLayout& layout,
                        const std::vector<HeightTile>& tiles, const std::string& recipe) {
    std::string j = "{\n  \"engine\": " + JsonQuoted(std::string(MaskEngineName(r.engine)));
    j += ",\n  \"weightsAddTo\": 255";
    j += ",\n  \"tileColumns\": " + std::to_string(layout.tileColumns);
    j += ",\n  \"tileRows\": " + std::to_string(layout.tileRows);
    j += ",\n  \"width\": " + std::to_string(tiles.front().width);
    j += ",\n  \"height\": " + std::to_string(tiles.front().height);
    j += ",\n  \"layers\": [";
    static constexpr const char* channels[] = {"R", "G", "B", "A"};
    const std::string stem = std::filesystem::path(r.prefix).filename().string();
    for (int32_t k = 0; k < maskLayerCount; ++k) {
        j += std::string(k ? "," : "") + "\n    {\"index\": " + std::to_string(k) +
             ", \"name\": " + JsonQuoted(std::string(MaskLayerName(MaskLayer(k))));
        if (r.engine == MaskEngine::Unreal) {
            j += ", \"file\": " +
                 JsonQuoted(stem + std::string(MaskLayerName(MaskLayer(k))) + ".png");
        } else {
            j += ", \"file\": " + JsonQuoted(stem + "splat" + std::to_string(k / 4) + ".png") +
                 ", \"channel\": \"" + channels[k % 4] + "\"";
            if (r.engine == MaskEngine::Godot)
                j += ", \"terrain3dTextureId\": " + std::to_string(k);
        }
        j += "}";
    }
    j += "\n  ]";
    if (r.engine == MaskEngine::Godot)
        j += ",\n  \"terrain3dControl\": " + JsonQuoted(stem + "control.exr") +
             ",\n  \"terrain3dControlBits\": \"base id << 27 | overlay id << 22 | blend << 14 | "
             "hole << 2\"";
    if (!recipe.empty())
        j += ",\n  \"recipe\": " + JsonQuoted(recipe);
    return j + "\n}\n";
}

}  // namespace

std::optional<MaskEngine> MaskEngineNamed(std::string_view name) {
    for (const MaskEngine e : {MaskEngine::Unreal, MaskEngine::Unity, MaskEngine::Godot})
        if (MaskEngineName(e) == name)
            return e;
    return std::nullopt;
}

std::string_view MaskEngineName(MaskEngine engine) {
    switch (engine) {
    case MaskEngine::Unreal:
        return "unreal";
    case MaskEngine::Unity:
        return "unity";
    case MaskEngine::Godot:
        break;
    }
    return "godot";
}

std::string MaskRefusal(MaskEngine engine, int32_t width, int32_t height,
                        const MaskLayout& layout) {
    const std::string tiles =
        std::to_string(layout.tileColumns) + "x" + std::to_string(layout.tileRows);
    const std::string cells = std::to_string(width) + " x " + std::to_string(height);
    if (engine == MaskEngine::Unity) {
        const int32_t w = width / layout.tileColumns, h = height / layout.tileRows;
        const bool even = w * layout.tileColumns == width && h * layout.tileRows == height;
        if (!even || w != h || !std::has_single_bit(uint32_t(w)) || w < unitySplatMin ||
            w > unitySplatMax)
            return "--masks unity: splatmaps must be square, a power of two from " +
                   std::to_string(unitySplatMin) + " to " + std::to_string(unitySplatMax) +
                   " a side; " + cells + " cells in " + tiles + " tiles do not give one";
        return {};
    }
    if (MaskTiles(engine, width, height, layout).empty())
        return "--masks " + std::string(MaskEngineName(engine)) + ": " + tiles + " tiles of a " +
               cells + " map would have fewer than two samples a side";
    return {};
}

std::vector<std::string> MaskPaths(const MaskRequest& request, const MaskLayout& layout) {
    std::vector<std::string> paths;
    for (int32_t j = 0; j < layout.tileRows; ++j)
        for (int32_t i = 0; i < layout.tileColumns; ++i)
            for (const TileFile& f : FilesOf(request.engine))
                paths.push_back(FilePath(request.prefix, f.name, layout, {i, j, 0, 0, 0, 0}));
    paths.push_back(request.prefix + "layers.json");
    return paths;
}

std::vector<HeightmapPart> MaskParts(const MaskRequest& request, const MaskLayout& layout,
                                     int32_t width, int32_t height,
                                     std::shared_ptr<const std::vector<uint8_t>> weights,
                                     std::shared_ptr<const std::vector<uint8_t>> noData,
                                     const std::string& recipe) {
    const std::string refusal = MaskRefusal(request.engine, width, height, layout);
    if (!refusal.empty())
        throw CommandFailure(refusal, FailureKind::Layout);
    const Source source{width, height, std::move(weights), std::move(noData)};
    const std::vector<HeightTile> tiles = MaskTiles(request.engine, width, height, layout);
    std::vector<HeightmapPart> parts;
    for (const HeightTile& tile : tiles)
        for (const TileFile& f : FilesOf(request.engine))
            parts.push_back({FilePath(request.prefix, f.name, layout, tile),
                             [source, tile, f, recipe](Archive& a) {
                                 const std::vector<unsigned char> bytes =
                                     Encoded(source, tile, f, recipe);
                                 a.Write(bytes.data(), bytes.size());
                             }});
    parts.push_back({request.prefix + "layers.json",
                     [text = SidecarText(request, layout, tiles, recipe)](Archive& a) {
                         a.Write(text.data(), text.size());
                     }});
    return parts;
}

uint32_t Terrain3DControl(const uint8_t* weights, bool hole) {
    int32_t base = 0;
    for (int32_t k = 1; k < maskLayerCount; ++k)
        if (weights[k] > weights[base])
            base = k;
    int32_t overlay = -1;
    for (int32_t k = 0; k < maskLayerCount; ++k)
        if (k != base && (overlay < 0 || weights[k] > weights[overlay]))
            overlay = k;
    const uint32_t wb = weights[base], wo = weights[overlay];
    uint32_t blend = 0;
    if (wo == 0)
        overlay = base;
    else
        blend = (2 * 255 * wo + wb + wo) / (2 * (wb + wo));  // rounded to nearest
    return (uint32_t(base) & 0x1F) << 27 | (uint32_t(overlay) & 0x1F) << 22 | (blend & 0xFF) << 14 |
           (hole ? 1u : 0u) << 2;
}
