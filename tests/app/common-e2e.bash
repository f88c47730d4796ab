# Shared by the end-to-end scripts: a work folder, an X server of the script's own, the
# processes started (ended and waited for on exit), failure reporting, waiting for a
# condition, and a tray host.
set -euo pipefail
work=$(mktemp -d)
pids=()
xvfb=
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for log in "$work"/*.log; do
        [ -f "$log" ] && sed "s|^|  $(basename "$log"): |" "$log"
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

# The program's single-instance socket lives in the runtime folder: with one of the script's
# own, an instance started here never hands over to one of another run, or of the user.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# An X server of the script's own, on a display number the server picks itself, so no window,
# tray or pointer of another suite is in the way. -noreset: by default the server resets
# whenever its last client leaves, and a client that connects at that moment (the tray host
# while one of the polls below leaves) is refused and ends. A script that brings an X server
# of another kind sets E2E_OWN_X_SERVER before it sources this file.
if [ -z "${E2E_OWN_X_SERVER:-}" ]; then
    mkfifo "$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 1280x960x24 -nolisten tcp \
        3>"$work/display" >"$work/xvfb.out" 2>&1 &
    xvfb=$!
    read -r display <"$work/display" || true
    [ -n "$display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.out")"
    export DISPLAY=:$display
fi

start_tray_host() { # a tray at the top left; its first icon sits at about (10, 12)
    trayer --edge top --align left --widthtype pixel --width 48 --height 24 \
        >"$work/trayer.log" 2>&1 &
    pids+=($!)
    # Its window is there before it has taken the tray: wait until a program finds the tray.
    # (The helper is not under test: what system libraries keep at its end is no failure.)
    ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 \
        "${ZENTRIVO_TRAY_READY:?the test set-up names the tray_ready helper}" 30 \
        >"$work/tray_ready.log" 2>&1 || fail "the tray host did not take the tray"
    rm "$work/tray_ready.log"
}
