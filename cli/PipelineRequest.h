#pragma once
// What a command line asks of the map pipeline, in the pipeline's terms.

#include "cli/CliOptions.h"
#include "pipeline/PipelineSettings.h"

namespace cli {

PipelineSettings PipelineSettingsOf(const Options& o);
PipelineOutputs PipelineOutputsOf(const Options& o);

}  // namespace cli
