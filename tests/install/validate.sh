#!/bin/sh
# Runs a desktop validator (desktop-file-validate, appstreamcli) on a file;
# 77, a skip, where the validator is not installed.
# Usage: validate.sh TOOL [ARGS...] FILE
set -eu
if ! command -v "$1" >/dev/null 2>&1; then
    echo "$1 is not installed (scripts/setup-debian.sh installs it)"
    exit 77
fi
output=$("$@" 2>&1) || { printf '%s\n' "$output"; exit 1; }
# desktop-file-validate exits 0 on hints and warnings too: none is allowed.
if printf '%s\n' "$output" | grep -E 'error|warning|hint'; then
    exit 1
fi
printf '%s\n' "$output"
