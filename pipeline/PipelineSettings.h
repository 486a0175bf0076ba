#pragma once
// What a map pipeline is asked for beyond the map's own parameters: the
// stages and the pictures' and heightmaps' settings a recipe carries, the
// heightmap tiling and the threads, and the files to write. Every front end
// fills these from its own words; none assembles the stages itself.

#include "core/ProgressSink.h"
#include "export/EngineMasks.h"
#include "export/FileForm.h"
#include "export/StageSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct PipelineSettings {
    RecipeOptions recipe;
    int32_t tileColumns = 1;
    int32_t tileRows = 1;
    int32_t threads = 1;  // 1 or 2: the same bytes either way
    // A grown map's coordinate system for its TIFFs, as WKT; empty: none.
    std::string crs;
};

// A mask or the drained areas, one pixel per cell; the climate's
// temperatures and precipitation (floats) and biomes (palette indices).
enum class LayerKind { Rivers, Lakes, Flow, Temperature, Precipitation, Biomes };

// Whether the layer is the water's (drained) or the climate's.
inline bool WaterLayer(LayerKind kind) {
    return kind == LayerKind::Rivers || kind == LayerKind::Lakes || kind == LayerKind::Flow;
}

struct FileOutput {
    std::string path;
    FileFormId form = FileFormId::Picture;
};

struct LayerOutput {
    LayerKind kind = LayerKind::Rivers;
    std::string path;
};

// Map files and pictures, heightmaps (each with its tiles and sidecar),
// layers, engines' material masks, meshes (each with its tiles), shapes.
struct PipelineOutputs {
    std::vector<FileOutput> files;
    std::vector<FileOutput> heightmaps;
    std::vector<LayerOutput> layers;
    std::vector<MaskRequest> masks;
    std::vector<FileOutput> meshes;
    std::vector<FileOutput> vectors;

    bool Drains() const {
        for (const LayerOutput& layer : layers)
            if (WaterLayer(layer.kind))
                return true;
        return !masks.empty() || !vectors.empty();
    }
    // Whether the climate is needed beside the pictures' colours.
    bool Climate() const {
        for (const LayerOutput& layer : layers)
            if (!WaterLayer(layer.kind))
                return true;
        return !masks.empty();
    }
};

// Where a pipeline reports. The sinks may stop it (Stopped); a step names
// what the writing does next ("saving", "encoding", "heightmap", "layer") for
// a front end that shows it; a warning concerns one output file.
struct PipelineProgress {
    ProgressSink render;
    StageSink stages;
    std::function<void(std::string_view step)> step;
    std::function<void(const std::string& path, const std::string& warning)> warning;
};
