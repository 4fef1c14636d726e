# Bash completion for tarnix-log and tarnix: subcommands, logger actions,
# each subcommand's options and their fixed values; --port offers the
# stable /dev/serial/by-id links first. tests/install/completion.sh holds it
# against each subcommand's --help.

_tarnix_ports() {
    local ports=(/dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*)
    COMPREPLY=($(compgen -W '$(ls -d "${ports[@]}" 2>/dev/null)' -- "$cur"))
}

# The value of an option given as --simulate=MODEL; true when it handled one.
_tarnix_simulate_model() {
    if [[ $prev == --simulate ]] && $split; then
        COMPREPLY=($(compgen -W 'short long' -- "$cur"))
        return 0
    fi
    return 1
}

_tarnix_log() {
    local cur prev words cword split
    _init_completion -s || return

    local command=${words[1]-} action=${words[2]-}
    _tarnix_simulate_model && return
    case $prev in
        --port) _tarnix_ports; return ;;
        --interval | --duration | --samples | --topic | --on-alarm | --from | --to | --http | \
            --start-when | --stop-when | --pre | --post | --every) return ;;
        --mqtt)
            COMPREPLY=($(compgen -W 'mqtt:// mqtts://' -- "$cur"))
            compopt -o nospace
            return ;;
        --cafile) _filedir; return ;;
        --config) _filedir conf; return ;;
        --set)
            COMPREPLY=($(compgen -W '1 2 3 4 5' -- "$cur"))
            return ;;
        --format)
            if [[ $command == convert ]]; then
                COMPREPLY=($(compgen -W 'csv' -- "$cur"))
            else
                COMPREPLY=($(compgen -W 'dat csv jsonl' -- "$cur"))
            fi
            return ;;
    esac
    $split && return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'record logger convert stats serve ports --help --version' -- "$cur"))
        return
    fi
    local options=''
    case $command in
        record)
            options='--port --simulate --simulate= --interval --samples --duration --format
                --utc --mqtt --topic --cafile --ha-discovery --ha-discovery=
                --ha-discovery-remove --on-alarm --start-when --stop-when --pre --post
                --repeat --every --skip-empty --config --http --help' ;;
        logger)
            if ((cword == 2)); then
                COMPREPLY=($(compgen -W 'status download set-clock --help' -- "$cur"))
                return
            fi
            options='--port --simulate --simulate= --help'
            [[ $action == download ]] && options+=' --set' ;;
        convert) options='--format --utc --from --to --every --skip-empty --help' ;;
        stats) options='--precise --per-file --from --to --help' ;;
        serve) options='--http --help' ;;
        ports) options='--help' ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
    elif [[ $command != ports && ($command != logger || $action == download) ]]; then
        _filedir
    fi
} && complete -F _tarnix_log tarnix-log

_tarnix() {
    local cur prev words cword split
    _init_completion -s || return
    _tarnix_simulate_model && return
    case $prev in
        --port) _tarnix_ports; return ;;
        -style | --style)
            COMPREPLY=($(compgen -W 'Fusion Windows' -- "$cur"))
            return ;;
    esac
    $split && return
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--port --simulate --simulate= --trend --together --help
            --help-all --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
    else
        _filedir dat
    fi
} && complete -F _tarnix tarnix
