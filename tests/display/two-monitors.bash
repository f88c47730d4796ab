#!/usr/bin/env bash
# Runs a test program on an X server of its own that shows two monitors of different sizes,
# the primary one away from the desktop's origin:
#   left     1280x1024 at (0, 0)
#   primary  1024x768  at (1280, 256)
# One 2304x1024 screen split by RandR monitors, as a desktop with two outputs reports itself
# to its programs.
#   two-monitors.bash <test program> [arguments...]
set -euo pipefail
work=$(mktemp -d)
xvfb=
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -screen 0 2304x1024x24 -nolisten tcp \
    3>"$work/display" >"$work/xvfb.out" 2>&1 &
xvfb=$!
read -r display <"$work/display" || true
[ -n "$display" ] || { echo "FAIL: Xvfb did not start: $(cat "$work/xvfb.out")"; exit 1; }
export DISPLAY=:$display

# The server's one output goes into the left monitor (which then replaces the output's own);
# the primary monitor, marked by the star, has none, as a monitor made of part of a screen.
xrandr --setmonitor left 1280/338x1024/270+0+0 screen >/dev/null
xrandr --setmonitor '*primary' 1024/270x768/203+1280+256 none >/dev/null
monitors=$(xrandr --listmonitors)
grep -q "Monitors: 2" <<<"$monitors" && grep -q "\*primary 1024/270x768/203+1280+256" <<<"$monitors" ||
    { echo "FAIL: the two monitors were not set up:"; echo "$monitors"; exit 1; }

"$@"
