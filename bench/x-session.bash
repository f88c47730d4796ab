# Shared by footprint.sh and flash_pixels.sh: a work folder, an X server and a tray host of
# the script's own, copies of staged application folders with settings of their own, and the
# processes started (ended and waited for on exit).
set -euo pipefail

work=$(mktemp -d)
pids=()
xvfb=
# shellcheck disable=SC2317 # run by the trap
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
fail() {
    echo "FAILED: $*" >&2
    local log
    for log in "$work"/*.log "$work"/*/*.log; do
        [ -s "$log" ] && sed "s|^|  $(basename "$log"): |" "$log" >&2
    done
    exit 1
}
wait_for() { # seconds, command...
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

# The helpers built next to the stage folder (build/release/bench for build/release/stage),
# unless BENCH_BIN names their folder.
helpers_of() { # stage folder, tools...
    local bin=${BENCH_BIN:-$(cd "$1/.." && pwd)/bench}
    shift
    local tool
    for tool in "$@"; do
        [ -x "$bin/$tool" ] || fail "no $tool in $bin; build the bench targets (or set BENCH_BIN)"
    done
    echo "$bin"
}
check_stage() { # stage folder
    if [ ! -x "$1/zentrivo" ] || [ ! -d "$1/plugins" ]; then
        fail "$1 is not a stage folder (zentrivo and plugins/ expected)"
    fi
}
for tool in Xvfb trayer xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps bench)"
done

# An X server on a display number it picks itself once it takes connections, 1280x960 as the
# figures are quoted for. -noreset: by default the server resets whenever its last client
# leaves, and refuses a client that connects at that moment.
start_x() {
    mkfifo "$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 1280x960x24 -nolisten tcp \
        3>"$work/display" >"$work/xvfb.out" 2>&1 &
    xvfb=$!
    local n
    read -r n <"$work/display" || true
    [ -n "$n" ] || fail "Xvfb did not start: $(cat "$work/xvfb.out")"
    export DISPLAY=:$n
    # The pointer starts at the centre, where the flashes are: every Qt program on the screen
    # would then be told each time a flash comes and goes under it. A user's pointer is
    # anywhere; here it sits in the far corner.
    xdotool mousemove 1279 959 || fail "the pointer could not be moved"
}

# A tray at the top left, taken before any program starts (a program that finds no tray
# keeps its window in the taskbar instead).
start_tray_host() { # helpers folder
    trayer --edge top --align left --widthtype pixel --width 96 --height 24 \
        >"$work/trayer.log" 2>&1 &
    pids+=($!)
    "$1/xwatch" tray 30 || fail "the tray host did not take the tray"
}

# The address the program hands to the browser when it ends goes to a stand-in for xdg-open.
mkdir -p "$work/bin"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH
export QT_QPA_PLATFORM=xcb

# A copy of a stage folder under $work/<name>: app/ the application folder, config/ its
# settings, runtime/ and tmp/ of its own so that copies running side by side never meet
# through the single-instance socket.
new_instance() { # name, stage folder
    local dir=$work/$1
    mkdir -p "$dir/config/zentrivo" "$dir/tmp"
    mkdir -m 700 "$dir/runtime"
    cp -r "$2" "$dir/app"
}
base64url() { printf '%s' "$1" | base64 | tr '+/' '-_' | tr -d '='; }
# Settings of an instance. The update question was asked today, so no box comes up.
write_settings() { # name, AutoDisplay, DispInterval, DispDuration, RandomMessage, RandomLocation,
    #                RunAtSysTray
    local dir=$work/$1
    {
        printf '[Settings]\nAutoDisplay=%s\nDispInterval=%s\nDispDuration=%s\n' "$2" "$3" "$4"
        printf 'RandomMessage=%s\nRandomLocation=%s\nFontColor=0\nFontName=Verdana\n' "$5" "$6"
        printf 'FontSize=10\nFontBold=False\nFontItalic=False\nStrikethrough=False\n'
        printf 'Underline=False\nRunAtSysTray=%s\n\n' "$7"
        printf '[Update]\n%s=%s\n' "$(base64url LastUpdate)" "$(base64url "$(date +%Y-%m-%d)")"
    } >"$dir/config/zentrivo/zentrivo.ini.new"
    mv "$dir/config/zentrivo/zentrivo.ini.new" "$dir/config/zentrivo/zentrivo.ini"
    # A log-on launch with "Start at system tray" ticked starts in the tray with the show off;
    # the launch entry is what tells the program it was launched so.
    if [ "$7" = True ]; then
        mkdir -p "$dir/config/autostart"
        printf '[Desktop Entry]\nType=Application\nName=Zentrivo\nExec=zentrivo /STARTUP\n' \
            >"$dir/config/autostart/zentrivo.desktop"
    else
        rm -f "$dir/config/autostart/zentrivo.desktop"
    fi
}
# Runs a command in an instance's environment and waits for it.
in_instance() { # name, command...
    local dir=$work/$1
    shift
    XDG_CONFIG_HOME=$dir/config XDG_RUNTIME_DIR=$dir/runtime TMPDIR=$dir/tmp \
        XDG_CACHE_HOME=$dir/cache XDG_DATA_HOME=$dir/data "$@"
}
# Starts a command in an instance's environment, its output added to a log; $! is then the
# command's own process, not a shell's.
start_in_instance() { # name, log, command...
    local dir=$work/$1 log=$2
    shift 2
    XDG_CONFIG_HOME=$dir/config XDG_RUNTIME_DIR=$dir/runtime TMPDIR=$dir/tmp \
        XDG_CACHE_HOME=$dir/cache XDG_DATA_HOME=$dir/data "$@" >>"$log" 2>&1 &
}
