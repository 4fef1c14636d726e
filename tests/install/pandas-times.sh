#!/bin/sh
# The README's pandas recipe holds: a CSV that crosses a change of daylight
# saving time reads as one column of times, with local offsets through
# to_datetime(utc=True) and with --utc straight from read_csv. 77, a skip,
# where Debian's python3-pandas is not installed.
# Usage: pandas-times.sh BUILD_DIR
set -eu
build=$1
python=/usr/bin/python3
if ! "$python" -c 'import pandas' 2>/dev/null; then
    echo "python3-pandas is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Berlin's clocks went from 02:00 to 03:00 on 29 March 2026.
printf '1,26/03/29,01:59:59.0,DCV,2V,1.000\r\n2,26/03/29,03:00:00.0,DCV,2V,1.001\r\n' >"$work/dst.dat"
TZ=Europe/Berlin "$build/app/tarnix-log" convert "$work/dst.dat" "$work/local.csv"
TZ=Europe/Berlin "$build/app/tarnix-log" convert --utc "$work/dst.dat" "$work/utc.csv"
"$python" - "$work/local.csv" "$work/utc.csv" <<'PY'
import sys
import pandas as pd
local = pd.read_csv(sys.argv[1])
local["time"] = pd.to_datetime(local.time, utc=True)
utc = pd.read_csv(sys.argv[2], parse_dates=["time"])
for df in (local, utc):
    assert str(df.time.dtype) == "datetime64[ns, UTC]", df.time.dtype
    assert (df.time.diff().dropna() == pd.Timedelta(seconds=1)).all(), df.time
print("one column of times across the change, both ways")
PY
