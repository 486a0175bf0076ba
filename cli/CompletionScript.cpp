#include "cli/CompletionScript.h"

#include "cli/CommandRegistry.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace cli {

namespace {

// The script's fixed parts. A folder is offered once, as a folder, even when
// its name has a map's ending; files by the endings in any case, as the
// parser reads them.
constexpr std::string_view head =
    R"bash(# bash completion for glenvar-cli: commands, each command's options, and file
# names by the endings the option or argument takes. Written at build time from
# glenvar-cli's command registry; edit cli/CommandRegistry.cpp, not this file.

_glenvar_cli_files() {  # _glenvar_cli_files CURRENT ENDING-PATTERN
    local IFS=$'\n' file
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$1"))
    for file in $(compgen -f -X "!*.@($2)" -- "$1"); do
        [[ -d $file ]] || COMPREPLY+=("$file")
    done
}

_glenvar_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local command=${COMP_WORDS[1]} options inputs=
    COMPREPLY=()
    shopt -s extglob

    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W '@COMMANDS@ --help --version' -- "$cur"))
        return
    fi

    # --option=value: complete the value as if it were the next word.
    if [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        cur=${cur#*=}
    fi

    case $command in
)bash";

constexpr std::string_view tail = R"bash(    *) return ;;
    esac

    if [[ $cur == -* || -z $inputs ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _glenvar_cli_files "$cur" "$inputs"
    fi
}

complete -F _glenvar_cli glenvar-cli
)bash";

// "ld|r16" as "[lL][dD]|[rR]16": the parser takes an ending in any case.
std::string AnyCase(std::string_view endings) {
    std::string pattern;
    for (const char c : endings) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u))
            pattern += std::string("[") + char(std::tolower(u)) + char(std::toupper(u)) + "]";
        else
            pattern += c;
    }
    return pattern;
}

// "wrap|repeat" as compgen's "wrap repeat".
std::string WordList(std::string_view words) {
    std::string list(words);
    std::replace(list.begin(), list.end(), '|', ' ');
    return list;
}

std::string ValueCases(const CommandEntry& entry) {
    std::string cases;
    std::string free;  // options whose values cannot be offered
    for (const CommandOption& o : entry.options) {
        if (o.metavar.empty())
            continue;
        const std::string name(o.name);
        if (!o.extensions.empty())
            cases += "        " + name + ") _glenvar_cli_files \"$cur\" '" + AnyCase(o.extensions) +
                     "'; return ;;\n";
        else if (!o.words.empty())
            cases += "        " + name + ") COMPREPLY=($(compgen -W '" + WordList(o.words) +
                     "' -- \"$cur\")); return ;;\n";
        else
            free += (free.empty() ? "" : " | ") + name;
    }
    if (!free.empty())
        cases += "        " + free + ") return ;;\n";
    return cases;
}

std::string CommandCase(const CommandEntry& entry) {
    std::string options;
    for (const CommandOption& o : entry.options)
        options += std::string(o.name) + " ";
    std::string text = "    " + std::string(entry.name) + ")\n";
    text += "        case $prev in\n" + ValueCases(entry) + "        esac\n";
    text += "        options='" + options + "--help'\n";
    if (!entry.inputExtensions.empty())
        text += "        inputs='" + AnyCase(entry.inputExtensions) + "'\n";
    return text + "        ;;\n";
}

}  // namespace

std::string CompletionScript() {
    std::string commands;
    std::string cases;
    for (const CommandEntry& entry : Commands()) {
        commands += (commands.empty() ? "" : " ") + std::string(entry.name);
        cases += CommandCase(entry);
    }
    std::string script(head);
    script.replace(script.find("@COMMANDS@"), 10, commands);
    return script + cases + std::string(tail);
}

}  // namespace cli
