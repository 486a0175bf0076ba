# bash completion for glenvar-cli: commands, each command's options, and file
# names by the extensions the option or argument takes.

_glenvar_cli_files() {  # _glenvar_cli_files CURRENT EXTENSION-PATTERN
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$1") $(compgen -f -X "!*.@($2)" -- "$1"))
}

_glenvar_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local command=${COMP_WORDS[1]}
    COMPREPLY=()
    shopt -s extglob

    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W 'generate render info --help' -- "$cur"))
        return
    fi

    # --option=value: complete the value as if it were the next word.
    if [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        cur=${cur#*=}
    fi

    case $prev in
    -o)
        if [[ $command == generate ]]; then
            _glenvar_cli_files "$cur" 'ld|LD|dat|DAT|png|PNG'
        else
            _glenvar_cli_files "$cur" 'png|PNG'
        fi
        return ;;
    --heightmap)
        _glenvar_cli_files "$cur" 'png|PNG|r16|R16|tif|TIF|tiff|TIFF'
        return ;;
    --stencils)
        _glenvar_cli_files "$cur" 'bin|BIN'
        return ;;
    --threads)
        COMPREPLY=($(compgen -W '1 2' -- "$cur"))
        return ;;
    --seed | --width | --height | --unit-amount | --process-amount | --concentration-rate | \
        --concentration-amount | --points | --point | --water-level)
        return ;;
    esac

    local options
    case $command in
    generate)
        options='--seed --width --height --unit-amount --process-amount --concentration-rate
                 --concentration-amount --points --point --keep-random-state --water-level
                 --threads --stencils --regions --heightmap -o --help' ;;
    render) options='--regions --water-level --threads --heightmap -o --help' ;;
    info) options='--json --help' ;;
    *) return ;;
    esac

    if [[ $cur == -* || $command == generate ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _glenvar_cli_files "$cur" 'ld|LD|dat|DAT'
    fi
}

complete -F _glenvar_cli glenvar-cli
