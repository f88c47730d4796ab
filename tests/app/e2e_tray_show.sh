#!/usr/bin/env bash
# The real program on a first run, under the test command's X server with a tray host: it
# starts the show by itself, goes to the tray, flashes a message, is ended through the tray
# menu's "Exit", and leaves the expected settings file and selection list.
#   e2e_tray_show.sh <path of the zentrivo executable>
source "$(dirname "$0")/common-e2e.bash"
exe=$1
stage=$(dirname "$exe")

cp -r "$stage" "$work/app"
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

start_tray_host

# Every window mapped on the screen, override-redirect ones (the flashes) included.
xev -root -event substructure >"$work/xev.log" 2>&1 &
pids+=($!)

"$work/app/zentrivo" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)

flashes() { grep -A3 MapNotify "$work/xev.log" | grep -c "override YES" || true; }
flashed() { [ "$(flashes)" -ge 1 ]; }
# The first-run show waits one full interval (5 s) before its first message.
wait_for 20 flashed || fail "no message was flashed"
if xdotool search --onlyvisible --name "^Zentrivo v1.0$" 2>/dev/null |
    while read -r w; do xdotool getwindowgeometry "$w"; done | grep -q "Geometry: 570x"; then
    fail "the main window is on screen; it should be in the tray"
fi
echo "flashes seen: $(flashes)"

# Right button on the tray icon, then "Exit", the last item of its menu.
menu_geometry() { # the program's visible pop-up: neither the main window nor a flash
    local w
    for w in $(xdotool search --onlyvisible --class zentrivo 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$HEIGHT" -ge 40 ] && [ "$HEIGHT" -lt 400 ] && [ "$WIDTH" -lt 400 ]; then
            echo "$X $Y $WIDTH $HEIGHT"
            return 0
        fi
    done
    return 1
}
xdotool mousemove 10 12 click 3
wait_for 5 menu_geometry >/dev/null || fail "the tray menu did not open"
read -r mx my mw mh <<<"$(menu_geometry)"
xdotool mousemove $((mx + mw / 3)) $((my + mh - 10)) click 1

wait_for 10 bash -c "! kill -0 $app 2>/dev/null" || fail "the program did not end after Exit"
wait "$app" || fail "the program ended with status $?"

expected="[Settings]
AutoDisplay=True
DispDuration=2
DispInterval=1
FontBold=False
FontColor=0
FontItalic=False
FontName=Verdana
FontSize=10
RandomLocation=0
RandomMessage=0
RunAtSysTray=False
Strikethrough=False
Underline=False"
ini=$XDG_CONFIG_HOME/zentrivo/zentrivo.ini
actual=$(sed -n '/^\[Settings\]/,/^$/p' "$ini" | sed '/^$/d')
[ "$actual" = "$expected" ] || fail "settings file differs:
$actual"
cmp -s "$stage/FileNames.txt" "$work/app/FileNames.txt" || fail "FileNames.txt changed"
echo "PASS: first run showed, flashed, went to the tray and ended through the tray's Exit"
