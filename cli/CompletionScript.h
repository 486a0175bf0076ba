#pragma once
// The bash completion of glenvar-cli, written from its command registry at
// build time, so it offers exactly the commands, options and file endings the
// parser takes.

#include <string>

namespace cli {

std::string CompletionScript();

}  // namespace cli
