#!/bin/sh
# Runs a program on a real X display with a real window manager: Xvfb on a
# free display number, openbox on it, then the program with its arguments.
# Both are stopped afterwards. Exit 77 (skipped) when either is missing.
set -u
for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done

# Xvfb picks a free display itself and writes its number: two runs side by
# side never share one.
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb=$!
tries=0
until [ -s "$number" ]; do
    tries=$((tries + 1)); [ $tries -gt 300 ] && { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(tr -d '\n' < "$number")"
rm -f "$number"
wm=""
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT INT TERM

# Up to 60 s for the window manager to say it runs (a loaded machine is
# slow). An openbox that gave up meanwhile (it can, while the machine is
# busy starting its display) is started again.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1)); [ $tries -gt 600 ] && { echo "openbox did not start" >&2; exit 1; }
    if ! kill -0 "$wm" 2>/dev/null; then
        openbox --sm-disable >/dev/null 2>&1 &
        wm=$!
    fi
    sleep 0.1
done

"$@"
