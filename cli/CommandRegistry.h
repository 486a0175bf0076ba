#pragma once
// What a command of glenvar-cli is: its name, synopsis and summary, and the
// options it takes, in the order its help lists them. The parser accepts, the
// help lists and the completion offers exactly these.

#include "cli/CliOptions.h"

#include <span>
#include <string>
#include <string_view>

namespace cli {

struct CommandOption {
    std::string_view name;
    std::string_view metavar;  // "" for a switch
    // The help's description: "\n" goes on at the description column, and
    // {range}, {default} and {dialogMax} are the parameter's (core/ParameterTable.h).
    // "" shares the next option's line ("--width N, --height N"); hidden
    // options are the synopsis's.
    std::string_view help = "";
    bool hidden = false;
    // The endings its file names take (and the completion offers), "|"-separated.
    std::string_view extensions = "";
    // The only values it takes, for the completion, "|"-separated.
    std::string_view words = "";
};

struct CommandEntry {
    Command command;
    std::string_view name;
    std::string_view synopsis;  // after "glenvar-cli "
    std::string_view summary;   // lines under it, each indented
    std::span<const CommandOption> options;
    std::string_view inputExtensions = "";  // the input file's, without an input ""
};

std::span<const CommandEntry> Commands();
const CommandEntry* CommandNamed(std::string_view name);
const CommandEntry* EntryOf(Command command);
const CommandOption* OptionOf(const CommandEntry& entry, std::string_view option);

// The usage block of one command: synopsis, summary and options.
std::string UsageOf(const CommandEntry& entry);

}  // namespace cli
