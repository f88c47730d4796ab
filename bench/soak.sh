#!/usr/bin/env bash
# Soak benchmark: the real program showing a message every 2 s for 20 ms, for a long run,
# under its own X server with a tray host. Every 10 s it samples the program's resident
# memory (VmRSS) and its CPU time (utime + stime), and at the end it prints the first, last
# and largest memory sample, the growth after the first minute (start-up allocations settle
# in that minute; anything that still grows afterwards grows with every message), the
# flashes seen against the beats expected, and the CPU time used per minute.
#
#   bench/soak.sh [path of the zentrivo executable]    (default: build/soak/stage/zentrivo)
#
#   SOAK_SECONDS   length of the run, default 600 (about 300 messages)
#   SOAK_DISPLAY   X display number to try first, default 83 (the next free one is taken)
#
# A benchmark, not a test: it always exits 0 once the run is done, whatever the figures;
# only a run that could not be made (no X server, no tray host, the program gone) exits 1.
# The aim: no growth beyond 1 MB after the first minute, and every beat flashed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
exe=${1:-$here/../build/soak/stage/zentrivo}
seconds=${SOAK_SECONDS:-600}
display=${SOAK_DISPLAY:-83}
sample_every=10
interval_ms=2000
duration_ms=20

[ -x "$exe" ] || {
    echo "no executable at $exe; build the zentrivo_stage target first" >&2
    exit 1
}
for tool in Xvfb trayer xev xdotool; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing" >&2
        exit 1
    }
done

work=$(mktemp -d)
pids=()
app=
# shellcheck disable=SC2317 # run by the trap
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
fail() {
    echo "FAILED: $*" >&2
    [ -s "$work/log" ] && sed 's/^/  program: /' "$work/log" >&2
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
now() { echo "$EPOCHREALTIME"; }

# An X server of our own, on the first free display from the chosen number on.
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x960x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=:$display
wait_for 10 xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb :$display did not start"

trayer --edge top --align left --widthtype pixel --width 48 --height 24 >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_for 20 xdotool search --class trayer >/dev/null ||
    fail "the tray host did not start: $(cat "$work/trayer.log")"

# A copy of the staged application folder, settings of its own, and a temporary folder of
# its own so that its single-instance socket meets no other running copy. The thank-you
# page opened on leaving goes to a stand-in for xdg-open rather than to a browser.
cp -r "$(dirname "$exe")" "$work/app"
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/zentrivo" "$work/tmp" "$work/bin"
mkdir -m 700 "$work/runtime"
export TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/runtime
printf '[Settings]\nAutoDisplay=True\nDispInterval=0\nDispDuration=0\n' \
    >"$XDG_CONFIG_HOME/zentrivo/zentrivo.ini"
printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH
export QT_QPA_PLATFORM=xcb

# Every window mapped and unmapped on the screen, each line stamped with the time it came;
# the flashes are the override-redirect windows.
mkfifo "$work/xev.fifo"
xev -root -event substructure >"$work/xev.fifo" 2>&1 &
pids+=($!)
while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done \
    <"$work/xev.fifo" >"$work/xev.log" &
pids+=($!)
sleep 0.5
flashes() { grep -A1 MapNotify "$work/xev.log" | grep -c "override YES" || true; }

start=$(now)
"$work/app/zentrivo" >"$work/log" 2>&1 &
app=$!
pids+=("$app")

ticks=$(getconf CLK_TCK)
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$app/status" 2>/dev/null; }
cpu_ticks() { # utime + stime; the command name in brackets may hold spaces
    local stat
    stat=$(<"/proc/$app/stat") || return 1
    stat=${stat##*) }
    read -r -a f <<<"$stat"
    echo $((f[11] + f[12]))
}
elapsed_of() { awk -v a="$start" -v b="$1" 'BEGIN { printf "%.1f", b - a }'; }

echo "soak: $exe, $seconds s, message every ${interval_ms} ms for ${duration_ms} ms, DISPLAY=:$display"
printf '%8s %10s %9s %8s\n' "t (s)" "RSS (kB)" "CPU (s)" flashes
times=() rss=() cpu=() seen=()
next=$sample_every
while :; do
    # Deadlines from the start, so the samples do not drift by the time each one takes.
    pause=$(awk -v a="$start" -v n="$next" -v c="$(now)" \
        'BEGIN { d = a + n - c; printf "%.3f", (d > 0 ? d : 0) }')
    sleep "$pause"
    kill -0 "$app" 2>/dev/null || fail "the program ended by itself after $(elapsed_of "$(now)") s"
    t=$(now)
    r=$(rss_kb)
    c=$(cpu_ticks)
    n=$(flashes)
    times+=("$(elapsed_of "$t")") rss+=("$r") cpu+=("$c") seen+=("$n")
    printf '%8s %10s %9s %8s\n' "${times[-1]}" "$r" \
        "$(awk -v c="$c" -v k="$ticks" 'BEGIN { printf "%.2f", c / k }')" "$n"
    [ "$next" -ge "$seconds" ] && break
    next=$((next + sample_every))
done

# The end: SIGTERM, on which the program saves and quits.
stop=$(now)
kill -TERM "$app"
status=0
if wait_for 10 bash -c "! kill -0 $app 2>/dev/null"; then
    wait "$app" || status=$?
    ended="ended with status $status"
else
    kill -KILL "$app" 2>/dev/null || true
    ended="did NOT end within 10 s of SIGTERM; killed"
fi
sleep 0.2
total_flashes=$(flashes)
elapsed=$(elapsed_of "$stop")

# The sample at (or just after) the first minute is the base for growth and steady CPU.
base=0
for i in "${!times[@]}"; do
    if awk -v t="${times[$i]}" 'BEGIN { exit !(t >= 59.5) }'; then
        base=$i
        break
    fi
done
last=$((${#times[@]} - 1))
largest=0
for r in "${rss[@]}"; do
    if [ "$r" -gt "$largest" ]; then largest=$r; fi
done

mb() { awk -v k="$1" 'BEGIN { printf "%.2f MB", k / 1024 }'; }
growth=$((rss[last] - rss[base]))
expected=$(awk -v e="$elapsed" -v c="$((interval_ms + duration_ms))" \
    'BEGIN { printf "%d", e * 1000 / c }')
cpu_per_min() { # from sample i to sample j
    awk -v c1="${cpu[$1]}" -v c2="${cpu[$2]}" -v t1="${times[$1]}" -v t2="${times[$2]}" \
        -v k="$ticks" 'BEGIN { if (t2 <= t1) { print "n/a"; exit }
            s = (c2 - c1) / k / (t2 - t1) * 60
            printf "%.3f s per minute (%.2f %% of one core)", s, s / 60 * 100 }'
}

# From the stamped events: each flash's time on the screen (map to unmap), the pause from
# its unmap to the next flash's map, and the whole cycle from map to map, all in ms.
awk -v on="$work/on.ms" -v gap="$work/gap.ms" -v cycle="$work/cycle.ms" '
    $2 == "MapNotify" || $2 == "UnmapNotify" { type = $2; at = $1; next }
    type != "" {
        for (i = 2; i < NF; i++) if ($i == "window") w = $(i + 1)
        sub(/,$/, "", w)
        if (type == "MapNotify" && / override YES/) {
            shown[w] = at
            if (lastMap != "") printf "%.3f\n", (at - lastMap) * 1000 >cycle
            if (lastUnmap != "") printf "%.3f\n", (at - lastUnmap) * 1000 >gap
            lastMap = at
        } else if (type == "UnmapNotify" && (w in shown)) {
            printf "%.3f\n", (at - shown[w]) * 1000 >on
            delete shown[w]
            lastUnmap = at
        }
        type = ""
    }' "$work/xev.log"
stats() { # file of ms values, aim in ms
    [ -s "$1" ] || {
        echo "n/a"
        return
    }
    sort -n "$1" | awk -v aim="$2" '{ v[NR] = $1; sum += $1 }
        END { p99 = int(NR * 0.99); if (p99 < NR * 0.99) p99++
              printf "mean %.1f, median %.1f, p99 %.1f, max %.1f ms (aim %d ms, %d values)",
                  sum / NR, v[int((NR + 1) / 2)], v[p99], v[NR], aim, NR }'
}
# A beat that shows nothing makes a cycle of two intervals or more.
missed=$(awk -v c="$((interval_ms + duration_ms))" '$1 > 1.5 * c { n++ } END { print n + 0 }' \
    "$work/cycle.ms" 2>/dev/null || echo 0)

row() { printf '%-30s %s\n' "$1" "$2"; }
echo
row "run:" "$elapsed s, program $ended"
row "RSS first sample:" "${rss[0]} kB ($(mb "${rss[0]}")) at ${times[0]} s"
row "RSS last sample:" "${rss[last]} kB ($(mb "${rss[last]}")) at ${times[last]} s"
row "RSS largest sample:" "$largest kB ($(mb "$largest"))"
row "RSS growth after ${times[base]} s:" "$growth kB ($(mb "$growth")) (aim: at most 1 MB)"
row "flashes seen:" "$total_flashes"
row "flashes expected:" "$expected (elapsed / ($interval_ms ms + $duration_ms ms))"
row "cycles longer than 1.5 beats:" "$missed"
row "time on the screen:" "$(stats "$work/on.ms" "$duration_ms")"
row "pause, unmap to next map:" "$(stats "$work/gap.ms" "$interval_ms")"
row "cycle, map to map:" "$(stats "$work/cycle.ms" "$((interval_ms + duration_ms))")"
row "CPU up to ${times[0]} s:" "$(awk -v c="${cpu[0]}" -v k="$ticks" 'BEGIN { printf "%.2f s (start-up)", c / k }')"
row "CPU from ${times[0]} s:" "$(cpu_per_min 0 "$last")"
row "CPU after ${times[base]} s:" "$(cpu_per_min "$base" "$last")"
if [ -s "$work/log" ]; then
    echo "program output:"
    sed 's/^/  /' "$work/log"
fi
exit 0
