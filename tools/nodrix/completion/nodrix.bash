# bash completion for nodrix. The commands, each command's options and the
# parameter names are read from the tool's own help, so they always match
# the installed tool.

_nodrix_commands() {
    "$1" help 2>/dev/null | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p'
}

_nodrix_options() {
    "$1" "$2" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u
}

_nodrix_parameters() {
    "$1" help 2>/dev/null | sed -n 's/^parameters: //p' | tr -d ',' | tr ' ' '\n'
}

_nodrix() {
    local cur prev tool command i
    COMPREPLY=()
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    tool=${COMP_WORDS[0]}

    # The command: the first word that is neither an option nor its value.
    command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --out|--device|--mask|--bits|--seconds|--quality|--exposure-ms|--gain|--buffers|--timeout) ((i++)) ;;
            -*) ;;
            *) command=${COMP_WORDS[i]}; break ;;
        esac
    done

    case $prev in
        --out|--mask)
            COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames 2>/dev/null; return ;;
        --bits) COMPREPLY=($(compgen -W "8 16" -- "$cur")); return ;;
        --quality) COMPREPLY=($(compgen -W "100 70 20" -- "$cur")); return ;;
        --device|--seconds|--exposure-ms|--gain|--buffers|--timeout) return ;;
    esac

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--device --save --no-emulation --help --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$(_nodrix_commands "$tool")" -- "$cur"))
        fi
        return
    fi

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_nodrix_options "$tool" "$command")" -- "$cur"))
        return
    fi
    case $command in
        get) COMPREPLY=($(compgen -W "$(_nodrix_parameters "$tool")" -- "$cur")) ;;
        set|snap|stream|record)
            COMPREPLY=($(compgen -S = -W "$(_nodrix_parameters "$tool")" -- "$cur"))
            compopt -o nospace 2>/dev/null ;;
        help) COMPREPLY=($(compgen -W "$(_nodrix_commands "$tool")" -- "$cur")) ;;
        regs) COMPREPLY=($(compgen -W "fpga sensor" -- "$cur")) ;;
        eeprom) COMPREPLY=($(compgen -W "read write" -- "$cur")) ;;
        mask) COMPREPLY=($(compgen -W "take load dark white" -- "$cur")) ;;
        config) COMPREPLY=($(compgen -W "load" -- "$cur")) ;;
        dialog) COMPREPLY=($(compgen -W "camera image analog" -- "$cur")) ;;
    esac
}
complete -F _nodrix nodrix
