#pragma once
// The page's one map, as the worker holds it: generated, loaded, rendered and
// saved through the same model as the desktop program. Failures come back as
// the texts the desktop program shows, never as exceptions.

#include "core/GEO_MakeLand.h"
#include "data/PointArray.h"

#include <cstdint>
#include <string>
#include <vector>

enum class LoadResult { Map, Raw, None, Failed };

class WebMap {
  public:
    // Grows a map from what the generation dialog sets, as `settings` holds it
    // (hand-placed points included; its cells are not read). "" when the map
    // was made; otherwise the message, with the old map kept.
    std::string Generate(const GEO_MakeLand& settings, const ProgressSink& progress);
    // Reads a map or raw file; on failure `message` gets the desktop's text.
    LoadResult Load(std::vector<unsigned char> bytes, std::string& message);

    // The picture at one pixel per cell as RGBA bytes, regions with point marks.
    std::vector<unsigned char> Render(bool regions, const ProgressSink& progress);
    // Black width x height with the marks of the points placed so far.
    static std::vector<unsigned char> PlacementPicture(int32_t width, int32_t height,
                                                       const PointArray& points);
    // Samples of a 16-bit grey heightmap, row by row.
    std::vector<uint16_t> HeightSamples() const;

    std::string Report() const;
    std::vector<unsigned char> MapFileBytes() const;
    std::vector<unsigned char> RawFileBytes() const;

    void SetWaterLevel(double level) { terrain_.waterLevel = level; }
    // The size of the grid the pictures show; 0 x 0 without cells.
    bool GridSize(int32_t& width, int32_t& height) const;
    const GEO_MakeLand& terrain() const { return terrain_; }

  private:
    GEO_MakeLand terrain_;
};
