#!/bin/sh
# Installs the Debian 12 packages that building, testing (openbox on Xvfb for
# the window manager tests), screenshots and the Debian package need (help2man
# writes the manual pages; desktop-file-utils and appstream validate the menu
# entry and the metainfo; dpkg-dev and file let cpack compute the package's
# dependencies; lintian checks the package; shared-mime-info and gio check the
# file type as a desktop sees it; python3-pandas checks the README's recipe;
# systemd's systemd-analyze verifies the service; tzdata gives the tests
# Europe/Berlin's summer time),
# and only those that are missing. Run as root or with sudo.
# fonts-liberation2 stands in for Times New Roman with the same metrics, so
# the big digital value fits its label as designed. mosquitto and its clients
# are the broker the publishing tests start and subscribe to. libmicrohttpd
# serves tarnix-log's read-only web pages; prometheus' promtool checks its
# metrics and its server scrapes them; chromium, driven headless by selenium,
# shows the live page to its test.
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config \
qt6-base-dev qt6-serialport-dev qt6-charts-dev qt6-svg-dev \
xvfb xauth openbox x11-utils xdotool imagemagick fonts-dejavu-core fonts-liberation2 \
libmosquitto-dev mosquitto mosquitto-clients libmicrohttpd-dev prometheus chromium chromium-driver python3-selenium help2man desktop-file-utils appstream dpkg-dev file \
lintian systemd tzdata \
shared-mime-info libglib2.0-bin bash-completion man-db python3-pandas"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "setup: every package is already installed"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
echo "setup: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq $missing
