#pragma once
// Whether the machine can give a generation the memory it will need, worked
// out before any work so that a map too large fails at once and cleanly
// rather than minutes later (or by the kernel's hand).

#include "pipeline/PipelineSettings.h"

#include <cstdint>
#include <string>

class GEO_MakeLand;

// Peak bytes of generating the map and writing the options' outputs: the
// larger of the stamping (stamp tables and counters), the totals (the grid and
// the counters) and the writing (the grid, the picture and the encoded files).
uint64_t GenerationBytes(const GEO_MakeLand& parameters, const PipelineSettings& settings,
                         const PipelineOutputs& outputs);

// Peak bytes of importing heights of that size and writing the outputs.
uint64_t ImportBytes(int32_t width, int32_t height, const PipelineSettings& settings,
                     const PipelineOutputs& outputs);

// What this process can still allocate: the least of the memory the system
// has available (with free swap), the address-space and data-size limits
// less what is mapped already, and the control group's limit less its use.
// UINT64_MAX when nothing limits it.
uint64_t AvailableBytes();

// The room the unified control group (v2) leaves: memory.max less
// memory.current of the group /proc/self/cgroup names, read under the given
// roots ("/proc", "/sys" on a live system). UINT64_MAX without a limit.
uint64_t ControlGroupRoom(const std::string& procRoot, const std::string& sysRoot);

// The refusal, or an empty string when `need` fits into `available`.
std::string MemoryRefusal(int32_t width, int32_t height, uint64_t need, uint64_t available);
