# Bash completion for tarnix-log: subcommands, logger actions, options and
# their values; --port offers the stable /dev/serial/by-id links first.
_tarnix_log() {
    local cur prev words cword
    _init_completion -s || return

    case $prev in
        --port)
            local ports=(/dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*)
            COMPREPLY=($(compgen -W '$(ls -d "${ports[@]}" 2>/dev/null)' -- "$cur"))
            return ;;
        --interval | --duration | --samples) return ;;
        --set)
            COMPREPLY=($(compgen -W '1 2 3 4 5' -- "$cur"))
            return ;;
        --simulate)
            # Only as --simulate=MODEL: a word after a bare --simulate is a file.
            if $split; then
                COMPREPLY=($(compgen -W 'short long' -- "$cur"))
                return
            fi ;;
    esac
    $split && return

    local command=${words[1]-} action=${words[2]-}
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'record logger ports --help --version' -- "$cur"))
        return
    fi
    case $command in
        record)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W '--port --simulate --simulate= --interval --samples
                    --duration --help' -- "$cur"))
            else
                _filedir
            fi ;;
        logger)
            if ((cword == 2)); then
                COMPREPLY=($(compgen -W 'status download set-clock' -- "$cur"))
            elif [[ $cur == -* ]]; then
                local options='--port --simulate --simulate= --help'
                [[ $action == download ]] && options+=' --set'
                COMPREPLY=($(compgen -W "$options" -- "$cur"))
            elif [[ $action == download ]]; then
                _filedir
            fi ;;
    esac
    [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
} && complete -F _tarnix_log tarnix-log
