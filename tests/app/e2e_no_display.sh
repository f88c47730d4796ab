#!/usr/bin/env bash
# Started where no display can be opened, the program says so in one line and ends with
# status 1, leaving no file behind.
#   e2e_no_display.sh <path of the zentrivo executable>
source "$(dirname "$0")/common-e2e.bash"
exe=$1

cp -r "$(dirname "$exe")" "$work/app"
export XDG_CONFIG_HOME=$work/config HOME=$work/home
unset XDG_RUNTIME_DIR
mkdir -p "$HOME"

# A display number where no X server listens.
n=$((500 + RANDOM % 100))
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
    n=$((n + 1))
done

expected="Zentrivo: no display could be opened."
check() { # what, command...
    local what=$1 status=0
    shift
    "$@" "$work/app/zentrivo" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    [ "$status" -eq 1 ] || fail "$what: status $status, not 1:
$(cat "$work/out.txt" "$work/err.txt")"
    [ "$(cat "$work/err.txt")" = "$expected" ] || fail "$what: said
$(cat "$work/err.txt")"
    [ ! -s "$work/out.txt" ] || fail "$what: printed $(cat "$work/out.txt")"
    echo "$what: status 1, \"$expected\""
}

check "no DISPLAY, no platform chosen" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM
check "no DISPLAY, X chosen" env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
check "DISPLAY :$n where no server runs" env -u WAYLAND_DISPLAY DISPLAY=":$n" QT_QPA_PLATFORM=xcb
[ ! -e "$XDG_CONFIG_HOME" ] || fail "settings were written: $(find "$XDG_CONFIG_HOME")"
[ ! -e "$work/app/goal1.txt" ] || fail "goal files were written"
echo "PASS: no display: one line, status 1"
