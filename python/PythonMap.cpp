#include "python/PythonMap.h"

#include "cli/FailureText.h"
#include "cli/HeightmapFile.h"
#include "cli/InfoJson.h"
#include "cli/MemoryNeed.h"
#include "cli/PngFile.h"
#include "core/LandReport.h"
#include "core/NUM_Random.h"
#include "core/PointMarks.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "python/GenerationArguments.h"

#include <algorithm>
#include <cctype>

namespace glenvar_python {

namespace {

// Built once per process and only read afterwards, so threads share it. Our
// own rasterization: the maps are those of glenvar-cli with its own cache.
const GEO_LandCircleArray& Stencils() {
    static const GEO_LandCircleArray table = GEO_LandCircleArray::Built();
    return table;
}

// Keeping the random state draws on from one source for the whole process,
// as the command line's does; those generations take turns.
std::mutex sharedRandomLock;
NUM_AdvancedRandom sharedRandom;

std::string Extension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

std::unique_ptr<PythonMap> PythonMap::Generate(const cli::Options& o) {
    const std::string refusal = cli::MemoryRefusal(o.terrain.width, o.terrain.height,
                                                   cli::GenerationBytes(o), cli::AvailableBytes());
    if (!refusal.empty())
        throw MemoryShortage(refusal);
    auto map = std::make_unique<PythonMap>();
    GEO_MakeLand& terrain = map->terrain_;
    terrain = o.terrain;
    terrain.twoThreads = o.threads == 2 ? 1 : 0;

    const GEO_LandCircleArray& stencils = Stencils();
    if (terrain.keepRandomState) {
        std::lock_guard<std::mutex> turn(sharedRandomLock);
        terrain.Generate(stencils, &sharedRandom);
    } else {
        NUM_AdvancedRandom source;  // seeded by Generate
        terrain.Generate(stencils, &source);
    }
    return map;
}

std::unique_ptr<PythonMap> PythonMap::Load(const std::filesystem::path& path) {
    auto map = std::make_unique<PythonMap>();
    try {
        map->kind_ = LoadMapFile(map->terrain_, path);
    } catch (const CommandFailure& failure) {
        // As glenvar-cli says it: the archive's failures know no file name.
        if (failure.kind() == FailureKind::EndOfFile || failure.kind() == FailureKind::Format)
            throw ArgumentError(path.string() + ": " + cli::FailureText(failure));
        throw;
    }
    if (map->kind_ == MapFileKind::None)
        throw ArgumentError(path.string() + ": not a map file or raw data file");
    if (map->terrain_.GetSize() == 0)
        throw ArgumentError(path.string() + ": the map holds no cells");
    return map;
}

Picture PythonMap::RenderLocked(bool regions) {
    const GEO_MakeLand::GridSize size = Grid();
    Picture picture(size.width, size.height);
    terrain_.Render(picture, regions);
    if (regions)
        DrawPointMarks(picture, terrain_.concentrationPoints);
    return picture;
}

Picture PythonMap::Render(std::optional<double> waterLevel, bool regions) {
    std::lock_guard<std::mutex> hold(lock_);
    const double own = terrain_.waterLevel;
    terrain_.waterLevel = waterLevel.value_or(own);
    try {
        Picture picture = RenderLocked(regions);
        terrain_.waterLevel = own;
        return picture;
    } catch (...) {
        terrain_.waterLevel = own;
        throw;
    }
}

void PythonMap::Save(const std::filesystem::path& path, bool heightmap, bool regions) {
    const std::string ext = Extension(path);
    std::lock_guard<std::mutex> hold(lock_);
    if (!heightmap && ext == ".ld")
        return SaveMapFile(terrain_, path);
    if (!heightmap && ext == ".dat")
        return SaveRawFile(terrain_, path);
    if (!heightmap && ext == ".png")
        return cli::SaveBytes(path, cli::EncodePicturePng(RenderLocked(regions)));
    if (ext == ".png")
        return cli::SaveHeightmap(terrain_, {path.string(), cli::HeightmapKind::Png});
    if (ext == ".r16")
        return cli::SaveHeightmap(terrain_, {path.string(), cli::HeightmapKind::R16});
    if (ext == ".tif")
        return cli::SaveHeightmap(terrain_, {path.string(), cli::HeightmapKind::Tiff});
    throw ArgumentError(
        heightmap
            ? "a heightmap's file must end in .png, .r16 or .tif, got \"" + path.string() + "\""
            : "the file must end in .ld, .dat, .png, .r16 or .tif, got \"" + path.string() + "\"");
}

std::string PythonMap::InfoJson() {
    std::lock_guard<std::mutex> hold(lock_);
    const LandFigures figures =
        CountLand(terrain_.GetData(), size_t(terrain_.GetSize()), terrain_.waterLevel);
    return cli::InfoJson(terrain_, kind_, figures);
}

}  // namespace glenvar_python
