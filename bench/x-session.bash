# Shared by footprint.sh and flash_pixels.sh. The end-to-end scripts' set-up gives the work
# folder, an X server of the script's own (1280x960, the size the figures are quoted for), the
# processes started (ended and waited for on exit), fail and wait_for; this adds a tray host,
# the pointer out of the way, and copies of staged application folders with settings of their
# own.
for tool in Xvfb trayer xdotool; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing (scripts/deps bench)" >&2
        exit 1
    }
done
# shellcheck source-path=SCRIPTDIR source=../tests/app/common-e2e.bash
source "$(dirname "${BASH_SOURCE[0]}")/../tests/app/common-e2e.bash"
trap 'exit 130' INT TERM

# The pointer starts at the centre, where the flashes are: every Qt program on the screen
# would then be told each time a flash comes and goes under it. A user's pointer is anywhere;
# here it sits in the far corner.
xdotool mousemove 1279 959 || fail "the pointer could not be moved"

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
