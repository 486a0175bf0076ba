#pragma once
// glenvar-cli's answer to signals: SIGINT, SIGTERM and SIGHUP remove the
// temporary files of the outputs and the stencil cache, then end the process
// with status 128 + the signal's number, as a shell reports it. SIGXFSZ is
// ignored, so a write past a file-size limit fails like one on a full disk
// and the usual message and clean-up follow.

namespace cli {

void InstallSignalHandlers();

}  // namespace cli
