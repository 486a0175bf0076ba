#include "pipeline/MemoryNeed.h"

#include "core/GEO_MakeLand.h"

#include "landform/Erosion.h"
#include "landform/FlowGraph.h"
#include "landform/LandscapeEvolution.h"

#include "export/FileForm.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr uint64_t kib = 1024;
// The disc table and its row spans, thread stacks, libraries, buffers.
constexpr uint64_t fixedBytes = 96 * kib * kib;

// A "Name:   1234 kB" line of a /proc file, in bytes; nullopt when absent.
std::optional<uint64_t> ProcKilobytes(const char* file, const std::string& name) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, name.size() + 1, name + ":") != 0)
            continue;
        std::istringstream fields(line.substr(name.size() + 1));
        uint64_t value = 0;
        if (fields >> value)
            return value * kib;
    }
    return std::nullopt;
}

std::optional<uint64_t> FileNumber(const std::string& path) {
    std::ifstream in(path);
    uint64_t value = 0;
    if (in >> value)
        return value;  // "max" reads as nothing
    return std::nullopt;
}

uint64_t Left(uint64_t limit, uint64_t used) {
    return limit > used ? limit - used : 0;
}

// The room a resource limit leaves, given what already counts against it.
uint64_t LimitRoom(int resource, const char* usedField) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<uint64_t>::max();
    return Left(limit.rlim_cur, ProcKilobytes("/proc/self/status", usedField).value_or(0));
}

std::string Gibibytes(uint64_t bytes, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f GiB", decimals, double(bytes) / double(kib * kib * kib));
    return text;
}

}  // namespace

uint64_t ControlGroupRoom(const std::string& procRoot, const std::string& sysRoot) {
    std::ifstream self(procRoot + "/self/cgroup");
    std::string line;
    while (std::getline(self, line)) {
        if (line.compare(0, 3, "0::") != 0)
            continue;  // the unified hierarchy
        const std::string dir = sysRoot + "/fs/cgroup" + line.substr(3);
        const auto max = FileNumber(dir + "/memory.max");
        if (!max)
            break;
        return Left(*max, FileNumber(dir + "/memory.current").value_or(0));
    }
    return std::numeric_limits<uint64_t>::max();
}

namespace {

// The map's cells, its shaped heights and water, and the outputs as they are written.
uint64_t WritingBytes(uint64_t cells, uint64_t height, const PipelineSettings& settings,
                      const PipelineOutputs& outputs) {
    // One rendering serves every picture; the heightmaps are written one after another.
    uint64_t pictures = 0, heightmap = 0;
    for (const FileOutput& out : outputs.files)
        pictures = std::max(pictures, FormOf(out.form).writingBytes(cells, height));
    for (const FileOutput& map : outputs.heightmaps)
        heightmap = std::max(heightmap, FormOf(map.form).writingBytes(cells, height));
    // Meshes are built one tile at a time, but a tile may be the whole map.
    for (const FileOutput& shapes : outputs.vectors)
        heightmap = std::max(heightmap, FormOf(shapes.form).writingBytes(cells, height));
    for (const FileOutput& mesh : outputs.meshes)
        heightmap = std::max(heightmap, FormOf(mesh.form).writingBytes(cells, height));
    // Stages reshape a copy of the altitudes with one more grid beside it;
    // relief shading keeps the copy while the picture is drawn. The shaped
    // map the pictures and heightmaps are drawn from is a second map's cells.
    const RecipeOptions& r = settings.recipe;
    const bool drains = r.riverThreshold > 0 || outputs.Drains();
    const bool climate = outputs.Climate() || r.biomeColours;
    const uint64_t shaping = (r.stages.Active() || r.shade || drains || climate ? 16 * cells : 0) +
                             (r.stages.Active() ? 16 * cells : 0);
    // Beyond that grid: stream power's scratch while it runs, or later the
    // drainage with its masks (and the drained areas as doubles and floats
    // for a flow layer) while the outputs are written.
    const bool flow = std::any_of(outputs.layers.begin(), outputs.layers.end(),
                                  [](const LayerOutput& l) { return l.kind == LayerKind::Flow; });
    const uint64_t erosionScratch =
        r.stages.Evolves() ? evolutionBytesPerCell : streamPowerBytesPerCell;
    const uint64_t eroding = r.stages.erodeSteps > 0 ? (erosionScratch - 8) * cells : 0;
    const uint64_t draining = drains ? (drainageBytesPerCell + 2 + (flow ? 12 : 0)) * cells : 0;
    // The climate: two float grids, the biomes and the wind's marks; a float
    // layer is written from a grid of doubles; masks keep seven weights a cell.
    const uint64_t climateBytes = climate ? (10 + 12 + (outputs.masks.empty() ? 0 : 8)) * cells : 0;
    return 16 * cells + shaping + std::max(eroding, draining) + climateBytes + pictures + heightmap;
}

}  // namespace

uint64_t GenerationBytes(const GEO_MakeLand& p, const PipelineSettings& settings,
                         const PipelineOutputs& outputs) {
    const uint64_t cells = uint64_t(p.width) * uint64_t(p.height);
    const auto stamps = uint64_t(double(int32_t(cells)) * p.processAmount);
    const uint64_t planes = settings.threads == 2 ? 2 : 1;
    // Drawn and ordered stamps (8 bytes each), the order's bucket table, the counters.
    const uint64_t stamping =
        16 * stamps + 4 * std::max<uint64_t>(stamps, 65536) + 4 * cells * planes;
    const uint64_t totals = 16 * cells + 4 * cells * planes;
    const uint64_t writing = WritingBytes(cells, uint64_t(p.height), settings, outputs);
    return std::max({stamping, totals, writing}) + fixedBytes;
}

uint64_t ImportBytes(int32_t width, int32_t height, const PipelineSettings& settings,
                     const PipelineOutputs& outputs) {
    const uint64_t cells = uint64_t(width) * uint64_t(height);
    // The heights as read (doubles, a row of the file's samples) and the
    // NoData marks stay beside the map; the outlets are a second mask.
    const uint64_t read = 8 * cells + 2 * cells;
    return read + WritingBytes(cells, uint64_t(height), settings, outputs) + fixedBytes;
}

uint64_t AvailableBytes() {
    uint64_t room = std::numeric_limits<uint64_t>::max();
    if (const auto free = ProcKilobytes("/proc/meminfo", "MemAvailable"))
        room = *free + ProcKilobytes("/proc/meminfo", "SwapFree").value_or(0);
    room = std::min(room, LimitRoom(RLIMIT_AS, "VmSize"));
    room = std::min(room, LimitRoom(RLIMIT_DATA, "VmData"));
    return std::min(room, ControlGroupRoom("/proc", "/sys"));
}

std::string MemoryRefusal(int32_t width, int32_t height, uint64_t need, uint64_t available) {
    if (need <= available)
        return {};
    // Enough decimals that the two figures differ: "0.5 GiB ... only 0.5 GiB" says nothing.
    int decimals = 1;
    while (decimals < 9 && Gibibytes(need, decimals) == Gibibytes(available, decimals))
        ++decimals;
    return "a " + std::to_string(width) + " x " + std::to_string(height) + " map needs about " +
           Gibibytes(need, decimals) + " of memory, but only " + Gibibytes(available, decimals) +
           " can be had; nothing was written";
}
