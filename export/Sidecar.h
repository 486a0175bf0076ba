#pragma once
// The sidecar NAME.json written beside every heightmap NAME: what a tool
// needs to import it without guessing (size, sample form, byte order,
// orientation, the altitudes the samples map to, the sea level), the recipe
// that rebuilds it, and for Unreal the landscape's Z scale.

#include "export/EngineProfile.h"
#include "export/HeightLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SidecarTile {
    std::string file;  // its name, without the folder
    HeightTile tile;
};

// Heights imported from a file or an array: what they were, and how the
// map's 0..1 altitudes map back to their units (base + altitude x span).
struct ImportedSource {
    std::string file;
    std::string sampleType;
    std::string units;  // "unitless", "metre", "foot"
    double base = 0;
    double span = 1;
    std::string boundary;  // "open" or "wrap"
};

struct HeightmapSidecar {
    int32_t width = 0;  // the whole heightmap's samples a side, tiles stitched
    int32_t height = 0;
    bool floatSamples = false;  // 32-bit float altitudes; otherwise 16-bit samples
    bool bigEndian = false;     // the file form's byte order
    HeightEdge edge = HeightEdge::Wrap;
    double waterLevel = 0.5;
    double heightRangeMetres = 1000;
    const EngineProfile* engine = nullptr;
    std::string recipe;
    std::vector<SidecarTile> tiles;  // empty for a single file
    std::optional<ImportedSource> imported;
    bool samplesInUnits = false;  // a float TIFF of imported heights: units, not 0..1
};

// The sidecar's path for a heightmap's: "w.png" gives "w.png.json", so that
// the sidecars of w.png and w.exr differ.
std::string SidecarPath(const std::string& heightmapPath);

std::string SidecarJson(const HeightmapSidecar& sidecar);

// A JSON string's text between its quotes, with the escapes SidecarJson writes.
std::string JsonQuoted(const std::string& text);
