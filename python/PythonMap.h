#pragma once
// A map as Python holds it: the terrain, whose own cells and points the
// module's arrays view, and the form it came from. Every reader takes the
// lock, so two Python threads may use one map while the GIL is released.

#include "cli/CliOptions.h"
#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "core/Picture.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

namespace glenvar_python {

// The machine lacks the memory a map needs; the text is glenvar-cli's.
class MemoryShortage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class PythonMap {
  public:
    // Grows the map the options describe (as `glenvar-cli generate` does,
    // with the stencil table built in memory). Like it, refuses a map the
    // machine has not the memory for before any work.
    static std::unique_ptr<PythonMap> Generate(const cli::Options& options);
    // The loader's refusals are thrown as they come; a file of another kind
    // or without cells is refused with glenvar-cli's words.
    static std::unique_ptr<PythonMap> Load(const std::filesystem::path& path);

    // The picture at one pixel per cell, at the map's water level or another.
    Picture Render(std::optional<double> waterLevel, bool regions);
    // In the file form its extension names (export/FileForm.h); with
    // `heightmap`, .png is the 16-bit heightmap instead of the picture.
    void Save(const std::filesystem::path& path, bool heightmap, bool regions);
    // What `glenvar-cli info --json` prints.
    std::string InfoJson();

    // Cells form a grid of this size (generated or loaded with a check).
    GEO_MakeLand::GridSize Grid() const { return terrain_.CellGridSize(); }
    LandCell* Cells() { return terrain_.GetData(); }
    PointArray& Points() { return terrain_.concentrationPoints; }
    const GEO_MakeLand& Terrain() const { return terrain_; }

  private:
    Picture RenderLocked(bool regions);

    GEO_MakeLand terrain_;
    MapFileKind kind_ = MapFileKind::Map;
    std::mutex lock_;  // Render changes the water level for the time it draws
};

}  // namespace glenvar_python
