#!/bin/sh
# Installs the build into a temporary prefix and checks that exactly the
# expected files land there, and that the installed programs run from it.
# Usage: installed-files.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
found=$(cd "$prefix" && find . \( -type f -o -type l \) | sort)
expected="./bin/tarnix
./bin/tarnix-log
./bin/tarnix-meter-sim
./share/applications/org.tarnix.tarnix.desktop
./share/bash-completion/completions/tarnix-log
./share/doc/tarnix/README.md
./share/icons/hicolor/scalable/apps/org.tarnix.tarnix.svg
./share/man/man1/tarnix-log.1.gz
./share/man/man1/tarnix-meter-sim.1.gz
./share/man/man1/tarnix.1.gz
./share/metainfo/org.tarnix.tarnix.metainfo.xml
./share/mime/packages/org.tarnix.tarnix.xml"
if [ "$found" != "$expected" ]; then
    echo "installed files differ from the expected list:" >&2
    printf '%s\n' "$expected" >"$prefix/expected"
    printf '%s\n' "$found" | diff "$prefix/expected" - >&2 || true
    exit 1
fi

# The menu entry starts a program that is installed, with the installed icon.
grep -qx 'Exec=tarnix %f' "$prefix/share/applications/org.tarnix.tarnix.desktop"
grep -qx 'Icon=org.tarnix.tarnix' "$prefix/share/applications/org.tarnix.tarnix.desktop"
# Each manual page is a page of its own program, with its options.
for program in tarnix tarnix-log tarnix-meter-sim; do
    "$prefix/bin/$program" --version | grep -q "^$program "
    gzip -dc "$prefix/share/man/man1/$program.1.gz" | grep -q "^\.TH \"\?$(echo "$program" | tr a-z A-Z)"
done
gzip -dc "$prefix/share/man/man1/tarnix-log.1.gz" | grep -q 'interval'
# The completion is valid bash and offers the subcommands.
bash -n "$prefix/share/bash-completion/completions/tarnix-log"
echo "installed files: $(printf '%s\n' "$found" | wc -l) as expected"
