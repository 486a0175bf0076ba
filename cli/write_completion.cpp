// Prints glenvar-cli's bash completion; the build writes it into the install tree.

#include "cli/CompletionScript.h"

#include <cstdio>

int main() {
    const std::string script = cli::CompletionScript();
    return std::fputs(script.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
}
