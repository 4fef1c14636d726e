#!/bin/sh
# Builds the Debian package from a release build, lists it, installs it with
# apt as a user would, runs the installed programs, removes and purges it.
# Run as root (or with sudo) after the release build.
set -eu
cd "$(dirname "$0")/../build/release"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi

rm -f tarnix_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
deb=$(ls tarnix_*.deb)
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'
dpkg-deb --contents "$deb"
# Debian's own checks: no error and no warning.
if ! lintian --fail-on error,warning "$deb"; then
    echo "check-deb: lintian finds errors or warnings in $deb" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -qq "./$deb"
/usr/bin/tarnix-log --version
QT_QPA_PLATFORM=offscreen /usr/bin/tarnix --help | head -3
/usr/bin/tarnix-meter-sim --version
# The service as systemd reads it, for an instance: no error and no warning.
verified=$(systemd-analyze verify tarnix-log@bench1.service 2>&1) || {
    printf '%s\n' "$verified" >&2; exit 1; }
if [ -n "$verified" ]; then
    printf 'check-deb: systemd-analyze verify warns:\n%s\n' "$verified" >&2
    exit 1
fi
# Hardened as far as a serial recorder allows: an exposure of 3.0 ("OK") at
# most on systemd's scale of 0 to 10 (the threshold counts tenths).
if ! exposure=$(systemd-analyze security --offline=true --threshold=30 \
        tarnix-log@bench1.service 2>&1); then
    printf '%s\ncheck-deb: the service is exposed above 3.0\n' "$exposure" >&2
    exit 1
fi
printf '%s\n' "$exposure" | grep 'Overall exposure'
grep -q '^#port = ' /etc/tarnix/bench1.conf
$SUDO apt-get remove -y -qq tarnix
if [ -e /usr/bin/tarnix ]; then
    echo "check-deb: /usr/bin/tarnix is still there after the removal" >&2
    exit 1
fi
# The example configuration is a conffile: a removal keeps it, a purge not.
if [ ! -f /etc/tarnix/bench1.conf ]; then
    echo "check-deb: the removal took /etc/tarnix/bench1.conf as well" >&2
    exit 1
fi
$SUDO apt-get purge -y -qq tarnix
if [ -e /etc/tarnix ]; then
    echo "check-deb: /etc/tarnix is still there after the purge" >&2
    exit 1
fi
echo "check-deb: $deb built, installed, run, removed and purged"
