#!/bin/sh
# Installs the build into a temporary prefix and checks that exactly the
# expected files land there, and that the installed programs run from it.
# Usage: installed-files.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
# The databases the install refreshes are the desktop's, not Tarnix's files.
found=$(cd "$prefix" && find . \( -type f -o -type l \) \
    ! -path './share/mime/*' ! -name mimeinfo.cache -o -path './share/mime/packages/*' | sort)
expected="./bin/tarnix
./bin/tarnix-log
./bin/tarnix-meter-sim
./etc/tarnix/bench1.conf
./lib/systemd/system/tarnix-log@.service
./share/applications/org.tarnix.tarnix.desktop
./share/bash-completion/completions/tarnix
./share/bash-completion/completions/tarnix-log
./share/doc/tarnix/README.md
./share/doc/tarnix/changelog.gz
./share/doc/tarnix/copyright
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

# The service runs the installed program on the configuration installed
# beside it, and systemd reads it without a complaint.
unit="$prefix/lib/systemd/system/tarnix-log@.service"
grep -qxF "ExecStart=$prefix/bin/tarnix-log record --config $prefix/etc/tarnix/%i.conf" "$unit"
if command -v systemd-analyze >/dev/null 2>&1; then
    (cd "${unit%/*}" && systemd-analyze verify --man=no ./tarnix-log@bench1.service)
fi
# The menu entry starts a program that is installed, with the installed icon.
grep -qx 'Exec=tarnix %f' "$prefix/share/applications/org.tarnix.tarnix.desktop"
grep -qx 'Icon=org.tarnix.tarnix' "$prefix/share/applications/org.tarnix.tarnix.desktop"
# Each manual page is a page of its own program, with its options.
for program in tarnix tarnix-log tarnix-meter-sim; do
    "$prefix/bin/$program" --version | grep -q "^$program "
    gzip -dc "$prefix/share/man/man1/$program.1.gz" | grep -q "^\.TH \"\?$(echo "$program" | tr a-z A-Z)"
done
# The installed README names the installed programs, not a build's.
! grep -q 'build/release/app' "$prefix/share/doc/tarnix/README.md"
# The pages read without a warning, and tarnix-log's, written by hand, names
# every option that a subcommand's help names.
for program in tarnix tarnix-log tarnix-meter-sim; do
    warnings=$(man --warnings -l "$prefix/share/man/man1/$program.1.gz" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        printf '%s.1:\n%s\n' "$program" "$warnings" >&2
        exit 1
    fi
done
page=$(gzip -dc "$prefix/share/man/man1/tarnix-log.1.gz" | sed 's/\\-/-/g')
for subcommand in record logger convert stats ports; do
    for option in $("$prefix/bin/tarnix-log" $subcommand --help | grep -o -- '--[a-z][a-z-]*' |
        sort -u); do
        if ! printf '%s\n' "$page" | grep -q -- "$option"; then
            echo "tarnix-log.1 does not name $option of $subcommand" >&2
            exit 1
        fi
    done
done
# The completion is valid bash and offers the subcommands.
bash -n "$prefix/share/bash-completion/completions/tarnix-log"
# The install refreshed the MIME database: a recording is known by its first
# record, whatever its name, and other bytes named .dat are not taken.
test -f "$prefix/share/mime/mime.cache"
if command -v gio >/dev/null 2>&1; then
    type_of() { XDG_DATA_DIRS="$prefix/share:/usr/share" gio info -a standard::content-type "$1" |
        sed -n 's/.*standard::content-type: //p'; }
    # Each row: yes when the first line is a recording's, then the line.
    while IFS='|' read -r recording line; do
        printf '%s\r\n' "$line" >"$prefix/first.dat"
        if [ "$(type_of "$prefix/first.dat")" = application/x-tarnix-data ]; then seen=yes; else seen=no; fi
        if [ "$seen" != "$recording" ]; then
            echo "a recording: $seen, but $recording expected, for $line" >&2
            exit 1
        fi
    done <<'ROWS'
yes|1,26/12/05,14:03:07.0,DCV,200mV,-12.34
yes|1234567,99/01/31,23:59:59.0,DIODE,1V,OL
yes|42,00/09/19,00:00:00.0,FREQ,KHz/MHz,1.234
no|12345,99/99/99,other
no|1,26/13/05,14:03:07.0,DCV,200mV,-12.34
no|1,26/00/05,14:03:07.0,DCV,200mV,-12.34
no|1,26/12/32,14:03:07.0,DCV,200mV,-12.34
no|1,26/12/05,14:03:07.0
no|x1,26/12/05,14:03:07.0,DCV,200mV,-12.34
ROWS
    head -c 200 /dev/urandom >"$prefix/noise.dat"
    [ "$(type_of "$prefix/noise.dat")" != application/x-tarnix-data ]
fi
echo "installed files: $(printf '%s\n' "$found" | wc -l) as expected"
