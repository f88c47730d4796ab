#!/usr/bin/env bash
# The real program in a Wayland session: a headless weston with XWayland, a tray host and an
# ordinary window of another program (red, over the middle of the screen) under XWayland, and
# the program started with the session's environment, so it picks XWayland by itself. With its
# show on, it goes to the tray and flashes each message at the centre, above the other window,
# and each message leaves the screen by itself before the next; a second launch brings the
# main window back from the tray; SIGTERM ends the program, and its tray icon goes with it.
# What is checked is read from the X server (map state, place, stacking, override-redirect)
# and from weston's own screenshots of what it composites. Ends with 77 (skipped) only when
# weston cannot start on the machine at all.
#   e2e_wayland.sh <path of the zentrivo executable>
E2E_OWN_X_SERVER=weston
source "$(dirname "$0")/common-e2e.bash"
exe=$1
stage=$(dirname "$exe")
pixel=${ZENTRIVO_PNG_PIXEL:?the test set-up names the png_pixel helper}

for tool in weston Xwayland weston-screenshooter; do
    command -v "$tool" >/dev/null || fail "$tool is missing: scripts/deps test installs it"
done

# weston refuses a runtime folder that others may enter, also as root: common-e2e.bash made a
# 0700 one. --debug offers the screenshooter; the pixman renderer needs no GPU.
socket=zentrivo-e2e
weston --backend=headless-backend.so --use-pixman --width=1280 --height=960 --no-config \
    --idle-time=0 --xwayland --debug --socket="$socket" --log="$work/weston.log" \
    >"$work/weston.out" 2>&1 &
weston=$!
pids+=($weston)

# weston names the display its XWayland serves once it listens there; XWayland itself starts
# with its first client.
xwayland_display() { sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' \
    "$work/weston.log" 2>/dev/null | head -n 1; }
weston_up() { [ -S "$XDG_RUNTIME_DIR/$socket" ] && [ -n "$(xwayland_display)" ]; }
if ! wait_for 30 weston_up; then
    if ! kill -0 "$weston" 2>/dev/null && [ ! -S "$XDG_RUNTIME_DIR/$socket" ]; then
        echo "SKIP: weston cannot start on this machine:"
        cat "$work/weston.out" "$work/weston.log" 2>/dev/null | sed 's/^/  /' || true
        exit 77
    fi
    fail "weston started but offered no XWayland display within 30 s"
fi
export DISPLAY WAYLAND_DISPLAY=$socket XDG_SESSION_TYPE=wayland
DISPLAY=$(xwayland_display)
x_up() { timeout 20 xwininfo -root >"$work/root.txt" 2>/dev/null; }
wait_for 30 x_up || fail "XWayland did not start"
root_w=$(sed -n 's/^ *Width: //p' "$work/root.txt")
root_h=$(sed -n 's/^ *Height: //p' "$work/root.txt")

start_tray_host

# The other program's window: red, over the middle of the screen.
xmessage -name e2e-cover -bg red -fg red -geometry 1280x960+0+0 cover >/dev/null 2>&1 &
pids+=($!)
cover_frame() { # the cover's outermost window (weston's frame around it)
    xwininfo -root -tree 2>/dev/null | awk '/^     0x/ { top = $1 }
        /"e2e-cover"/ { print top; exit }'
}
cover_shown() { xwininfo -name e2e-cover 2>/dev/null | grep -q "Map State: IsViewable"; }
wait_for 15 cover_shown || fail "the other program's window did not show"
cover=$(cover_frame)

# Every map and unmap on the screen, stamped in microseconds as it arrives; weston is asked
# for a screenshot the moment each of the first flashes is mapped.
shots=$work/shots
mkdir -p "$shots"
shoot() { # name: a screenshot of what weston composites, in $shots/<name>/
    mkdir -p "$shots/$1"
    (cd "$shots/$1" && timeout 10 weston-screenshooter >/dev/null 2>&1)
}
watch_screen() {
    local line previous="" maps=0
    while IFS= read -r line; do
        echo "${EPOCHREALTIME/./} $line"
        if [[ $previous == MapNotify* && $line == *"override YES"* ]]; then
            maps=$((maps + 1))
            [ $maps -le 2 ] && shoot "during-$maps" &
        fi
        previous=$line
    done
}
mkfifo "$work/xev.fifo"
stdbuf -oL xev -root -event substructure >"$work/xev.fifo" 2>/dev/null &
pids+=($!)
watch_screen <"$work/xev.fifo" >"$work/events.txt" &
pids+=($!)

cp -r "$stage" "$work/app"
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/zentrivo"
# The show on, a message for 200 ms every 5 s, at the centre. The pause leaves weston's
# screenshots (half a second each on a busy machine) time to see each message go.
printf '[Settings]\nAutoDisplay=True\nDispDuration=7\nDispInterval=1\nRandomLocation=1\n' \
    >"$XDG_CONFIG_HOME/zentrivo/zentrivo.ini"
env -u QT_QPA_PLATFORM "$work/app/zentrivo" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)

# One line per flash: the time it was mapped and unmapped (microseconds) and its place and
# size as last configured before the map.
flashes() {
    awk '
        { t = $1; sub(/^[0-9]+ /, "") }
        /^[A-Za-z]+ event,/ { kind = $1; synthetic = ($0 ~ /synthetic YES/); next }
        kind == "ConfigureNotify" && match($0, /window 0x[0-9a-f]+/) {
            w = substr($0, RSTART + 7, RLENGTH - 7)
            if (match($0, /\(-?[0-9]+,-?[0-9]+\), width [0-9]+, height [0-9]+/)) {
                g = substr($0, RSTART, RLENGTH); gsub(/[(),]|width |height /, " ", g)
                geometry[w] = g
            }
            kind = ""
        }
        kind == "MapNotify" && /override YES/ && match($0, /window 0x[0-9a-f]+/) {
            w = substr($0, RSTART + 7, RLENGTH - 7); n++; win[n] = w; mapped[n] = t
            where[n] = geometry[w]; open[w] = n; kind = ""
        }
        kind == "UnmapNotify" && !synthetic && match($0, /window 0x[0-9a-f]+/) {
            w = substr($0, RSTART + 7, RLENGTH - 7)
            if (w in open) { unmapped[open[w]] = t; delete open[w] }
            kind = ""
        }
        END {
            for (i = 1; i <= n; i++)
                print i, win[i], mapped[i], (i in unmapped) ? unmapped[i] : 0, where[i]
        }
    ' "$work/events.txt"
}
flash_line() { flashes | awk -v n="$1" '$1 == n'; }
gone() { flash_line "$1" | awk '$4 > 0 { found = 1 } END { exit !found }'; }
came() { [ -n "$(flash_line "$1")" ]; }
readable() { "$pixel" "$1" 0 0 >/dev/null 2>&1; }
shot() { # name: the screenshot's file once weston has written it
    local file
    wait_for 10 bash -c "ls '$shots/$1'/*.png >/dev/null 2>&1" || return 1
    file=$(ls "$shots/$1"/*.png | head -n 1)
    wait_for 10 readable "$file" || return 1
    echo "$file"
}

# Two messages. Once each has left the X server's screen, weston's picture is taken until
# its place shows the other window again or the next message comes. The headless output at
# times repaints only seconds later on a busy machine (a screenshot waits for that repaint
# too), so one of the two seen gone before the next message is enough, and the figures say
# that a message went, not when.
seen_gone=0
for n in 1 2; do
    wait_for 30 gone $n || fail "message $n was not flashed and gone:
$(flashes)"
    read -r _ _ _ unmapped x y width height <<<"$(flash_line $n)"
    tries=0
    outcome="still there when message $((n + 1)) came"
    while ! came $((n + 1)); do
        tries=$((tries + 1))
        [ $tries -le 100 ] || fail "message $n was still composited after 100 screenshots"
        asked=${EPOCHREALTIME/./}
        shoot "gone-$n-$tries"
        file=$(shot "gone-$n-$tries") || fail "weston took no screenshot"
        if [ "$("$pixel" "$file" $((x + 2)) $((y + 2)))" = "#ff0000" ]; then
            outcome="gone in screenshot $tries, asked for $(((asked - unmapped) / 1000)) ms after the unmap"
            seen_gone=$((seen_gone + 1))
            break
        fi
    done
    echo "message $n in weston's picture: $outcome"
done
[ $seen_gone -ge 1 ] || fail "weston's picture still showed each message when the next came"
kill -0 "$app" 2>/dev/null || fail "the program ended by itself"

# The program's own windows, by its class: the tray icon sits in the tray host's panel.
program_windows() { xwininfo -root -tree 2>/dev/null | grep '("zentrivo" "zentrivo")' || true; }
program_windows | grep -q " 22x22+" || fail "no tray icon in the tray host:
$(program_windows)"

# Each message: of the program, placed at the centre of the screen, gone by itself before the
# next one came. The times are printed, not judged.
echo "flash  window     shown-ms  place"
previous_unmap=0
while read -r n w mapped unmapped x y width height; do
    [ "$unmapped" -gt 0 ] || continue
    xprop -id "$w" WM_CLASS | grep -q '"zentrivo"' || fail "flash $n ($w) is not the program's"
    [ "$mapped" -ge "$previous_unmap" ] || fail "flash $n came before flash $((n - 1)) went"
    [ "$x" -eq $(((root_w - width) / 2)) ] && [ "$y" -eq $(((root_h - height) / 2)) ] ||
        fail "flash $n at $x,$y ${width}x$height is not at the centre of ${root_w}x$root_h"
    printf '%-6s %-10s %-9s %s\n' "$n" "$w" $(((unmapped - mapped) / 1000)) \
        "$x,$y ${width}x$height"
    previous_unmap=$unmapped
    flash=$w
done <<<"$(flashes)"
xwininfo -id "$flash" | grep -q "Override Redirect State: yes" ||
    fail "the flash window is not override-redirect"
# X stacking (listed top first): the flash window, unmapped where it was shown, lies above the
# other program's window.
xwininfo -root -children | awk -v f="$flash" -v c="$cover" '$1 == f { found = 1; exit }
    $1 == c { exit } END { exit !found }' || fail "the flash is not stacked above the other window:
$(xwininfo -root -children)"

# What weston composited while a message showed: its white inside, the red window around it.
composited=0
while read -r n _ _ _ x y width height; do
    during=$(shot "during-$n") || continue
    read -r inside around < <("$pixel" "$during" $((x + 2)) $((y + 2)) $((x - 3)) $((y - 3)) |
        paste -sd ' ')
    # A screenshot taken once the message had already gone shows nothing to judge.
    [ "$inside" = "#ffffff" ] || continue
    [ "$around" = "#ff0000" ] || fail "flash $n: around it weston showed $around, not the red window"
    composited=$((composited + 1))
done <<<"$(flashes | head -n 2)"
[ $composited -ge 1 ] || fail "no screenshot caught a message on the screen"
echo "screenshots showing a message above the other window: $composited of 2"

# A second launch brings the main window back from the tray, and ends at once.
main_window() {
    local w
    for w in $(xdotool search --onlyvisible --name "^Zentrivo v1.0$" 2>/dev/null); do
        xwininfo -id "$w" | grep -q "Width: 570" && echo "$w" && return 0
    done
    return 1
}
! main_window >/dev/null || fail "the main window is on screen; it should be in the tray"
env -u QT_QPA_PLATFORM "$work/app/zentrivo" >"$work/second.log" 2>&1 ||
    fail "the second launch ended with status $?"
wait_for 15 main_window >/dev/null || fail "the second launch did not bring the main window back"
win=$(main_window)
eval "$(xwininfo -id "$win" | awk '/Absolute upper-left X/ { print "wx=" $NF }
    /Absolute upper-left Y/ { print "wy=" $NF } /Width:/ { print "ww=" $NF }
    /Height:/ { print "wh=" $NF }')"
shoot main
main_shot=$(shot main) || fail "weston took no screenshot of the main window"
seen=$("$pixel" "$main_shot" $((wx + ww / 2)) $((wy + wh / 2)))
[ "$seen" != "#ff0000" ] && [ "$seen" != none ] ||
    fail "weston did not show the main window over the other window (saw $seen)"

# SIGTERM ends the program; its icon leaves the tray.
kill -TERM "$app"
wait_for 15 bash -c "! kill -0 $app 2>/dev/null" || fail "the program did not end on SIGTERM"
wait "$app" || fail "the program ended with status $?"
[ -z "$(program_windows)" ] || fail "windows of the program are left:
$(program_windows)"
echo "PASS: under weston through XWayland the program flashed at the centre above another window, each message went by itself, a second launch brought the window back from the tray, and SIGTERM ended it"
