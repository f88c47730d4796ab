# Shared by the end-to-end scripts: a work folder, the processes started (ended and waited for
# on exit), failure reporting, waiting for a condition, and a tray host.
set -euo pipefail
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
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
start_tray_host() { # a tray at the top left; its first icon sits at about (10, 12)
    trayer --edge top --align left --widthtype pixel --width 48 --height 24 >/dev/null 2>&1 &
    pids+=($!)
    wait_for 10 xdotool search --class trayer >/dev/null || fail "the tray host did not start"
}
