#!/bin/bash
# Holds the bash completion against the programs' own help: each subcommand
# is offered, and each subcommand's options are exactly those its --help
# names; the fixed values are offered. 77, a skip, without bash-completion.
# Usage: completion.sh BUILD_DIR
set -eu
build=$1
library=/usr/share/bash-completion/bash_completion
if [ ! -f "$library" ]; then
    echo "bash-completion is not installed"
    exit 77
fi
set +eu # the completion library is written for interactive shells
# shellcheck disable=SC1090
. "$library"
. "$(dirname "$0")/../../data/tarnix-log.bash"
set -eu
log=$build/app/tarnix-log
failed=0

# What the completion offers at the end of a typed command line, split into
# words as bash splits it ("=" is a word of its own).
offered() {
    local function=$1 line=$2
    read -ra COMP_WORDS <<<"${line//=/ = }"
    case $line in *' ' | *=) COMP_WORDS+=('') ;; esac
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    "$function"
    printf '%s\n' "${COMPREPLY[@]}" | sed 's/=$//' | sort -u | tr '\n' ' '
}

expect() {
    if [ "$2" != "$3" ]; then
        printf '%s:\n  completion: %s\n  help:       %s\n' "$1" "$2" "$3" >&2
        failed=1
    fi
}

options_in_help() {
    { "$log" "$@" --help | grep -o -- '--[a-z][a-z-]*'; echo --help; } | sort -u | tr '\n' ' '
}

subcommands=$("$log" --help | sed -n 's/^\(Usage:\)\? *tarnix-log \([a-z][a-z-]*\).*/\2/p' |
    sort -u | tr '\n' ' ')
expect "subcommands" "$(offered _tarnix_log 'tarnix-log ' | tr ' ' '\n' | grep -v '^-' | sort -u |
    tr '\n' ' ')" "$subcommands"
for words in record "logger download" convert stats serve ports; do
    # shellcheck disable=SC2086
    expect "$words options" "$(offered _tarnix_log "tarnix-log $words --")" \
        "$(options_in_help $words)"
done
expect "logger actions" "$(offered _tarnix_log 'tarnix-log logger ')" \
    "--help download set-clock status "
expect "record --format" "$(offered _tarnix_log 'tarnix-log record --format ')" "csv dat jsonl "
expect "convert --format" "$(offered _tarnix_log 'tarnix-log convert --format ')" "csv "
expect "--simulate=" "$(offered _tarnix_log 'tarnix-log record --simulate=')" "long short "
expect "tarnix options" "$(offered _tarnix 'tarnix --')" \
    "$({ "$build/app/tarnix" --help | grep -o -- '--[a-z][a-z-]*'; } | sort -u | tr '\n' ' ')"
# --help-all is help without a display, in both programs that offer it.
for program in tarnix tarnix-meter-sim; do
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$build/app/$program" \
        --help-all) && status=0 || status=$?
    expect "$program --help-all" "$(grep -c -- '--version' <<<"$help") $status" "1 0"
done
exit $failed
