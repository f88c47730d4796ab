#!/usr/bin/env bash
# What the program costs while it sits in the tray, next to a bare Qt tray program
# (bench/bare_tray.cpp) in the same run: resident and proportional memory, threads, and the
# context switches it makes, under an X server of this script's own with a tray host.
#
#   bench/footprint.sh <stage folder> [<second stage folder>]
#
# With two stage folders both builds run side by side with the bare program (before and
# after a change, measured in one run). Two cases, each with fresh processes:
#   show on       the show running at a 2 s pace, in the tray
#   show stopped  a log-on launch into the tray with the show off (the bare program without
#                 its clock)
# Each case waits FOOTPRINT_SETTLE seconds (30) after the start, then counts for
# FOOTPRINT_COUNT seconds (30). FOOTPRINT_DURATION is the duration index of the flashes
# (default 2, 60 ms). Context switches are voluntary plus involuntary, summed over the
# process's threads (/proc/PID/task/*/status); per beat means per flash seen on the screen for
# the program, per tick of its 2 s clock for the bare one. Memory is read at the end of the
# count: VmRSS, RssAnon and RssFile from /proc/PID/status, PSS from /proc/PID/smaps_rollup
# (shared pages are split among the processes mapping them, so PSS is only compared within
# one run). At the end of the first case, the largest mappings of each process.
#
# The helpers come from the build folder next to the first stage folder that has them (a
# staged copy of an older build has none beside it; BENCH_BIN overrides). A benchmark, not a
# test: it exits 0 whatever the figures.
# shellcheck source-path=SCRIPTDIR source=x-session.bash
source "$(dirname "$0")/x-session.bash"

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    fail "usage: footprint.sh <stage folder> [<second stage folder>]"
fi
stages=()
for s in "$@"; do
    check_stage "$s"
    stages+=("$(cd "$s" && pwd)")
done
bin=
for s in "${stages[@]}"; do
    # helpers_of says what is missing on its output, which is kept only when all are found.
    bin=$(helpers_of "$s" bare_tray xwatch) && break
    bin=
done
[ -n "$bin" ] || fail "no bare_tray and xwatch next to any stage folder; build the bench targets" \
    "(or set BENCH_BIN)"
settle=${FOOTPRINT_SETTLE:-30}
count=${FOOTPRINT_COUNT:-30}
duration_index=${FOOTPRINT_DURATION:-2}
durations=(20 40 60 80 100 125 150 200) # the program's duration choices, in list order
duration_ms=${durations[$duration_index]}
command -v xdotool >/dev/null || fail "xdotool is missing (scripts/deps bench)"

start_tray_host "$bin"

# Each override-redirect window mapped, with the process it belongs to: the flashes.
"$bin/xwatch" maps >"$work/maps.out" 2>&1 &
pids+=($!)
wait_for 10 grep -q ready "$work/maps.out" || fail "xwatch maps did not start"

names=(bare)
labels=("bare Qt tray")
for i in "${!stages[@]}"; do
    names+=("z$i")
    if [ ${#stages[@]} -eq 1 ]; then
        labels+=("zentrivo")
    else
        labels+=("zentrivo $((i + 1))")
    fi
    new_instance "z$i" "${stages[$i]}"
done

declare -A pid
# Starts every program of a case, each with its own settings and folders. The flashes are at
# the centre, and the programs start a second apart so that the beats of two builds fall a
# second apart: no flash then covers another program's tray icon or flash, which would make
# that program repaint and count wake-ups that are not its own.
start_all() { # on | off
    local i
    if [ "$1" = on ]; then
        "$bin/bare_tray" >>"$work/bare.log" 2>&1 &
    else
        "$bin/bare_tray" --no-timer >>"$work/bare.log" 2>&1 &
    fi
    pid[bare]=$!
    for i in "${!stages[@]}"; do
        sleep 1
        if [ "$1" = on ]; then
            write_settings "z$i" True 0 "$duration_index" 0 1 False
            start_in_instance "z$i" "$work/z$i.log" "$work/z$i/app/zentrivo"
        else
            write_settings "z$i" False 0 "$duration_index" 0 1 True
            start_in_instance "z$i" "$work/z$i.log" "$work/z$i/app/zentrivo" /STARTUP
        fi
        pid[z$i]=$!
    done
}
stop_all() {
    local n p
    for n in "${names[@]}"; do
        kill -TERM "${pid[$n]}" 2>/dev/null || true
    done
    for n in "${names[@]}"; do
        p=${pid[$n]}
        wait_for 10 bash -c "! kill -0 $p 2>/dev/null" || kill -KILL "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
}

# Where a program is: "tray" when it shows its tray icon and not its main window (570 wide),
# else what it shows.
placement() { # pid
    local w geometry icon=false window=false
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        # A flash may be gone by the time it is asked about.
        geometry=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
        local WIDTH=0 HEIGHT=0
        eval "$geometry"
        [ "$WIDTH" -le 32 ] && [ "$HEIGHT" -le 32 ] && icon=true
        [ "$WIDTH" -eq 570 ] && window=true
    done
    if $icon && ! $window; then
        echo tray
    elif $window; then
        echo window
    else
        echo "no icon"
    fi
}

# Context switches per thread: "tid name voluntary involuntary" lines.
switches() { # pid
    local t
    for t in /proc/"$1"/task/*; do
        awk -v tid="${t##*/}" -v name="$(tr ' ' '_' 2>/dev/null <"$t/comm")" \
            '$1 == "voluntary_ctxt_switches:" { v = $2 }
             $1 == "nonvoluntary_ctxt_switches:" { n = $2 }
             END { if (NR) print tid, name, v, n }' "$t/status" 2>/dev/null || true
    done
}
# From two snapshots: the switches in between (total, voluntary, involuntary), the threads
# that ended in between (their switches after the first snapshot are lost), then each thread
# name with its switches.
switch_delta() { # before file, after file
    awk 'NR == FNR { v0[$1] = $3; n0[$1] = $4; next }
         { dv = $3 - v0[$1]; dn = $4 - n0[$1]; v += dv; n += dn; by[$2] += dv + dn
           seen[$1] = 1 }
         END {
             for (t in v0) if (!(t in seen)) ended++
             line = ""
             for (k in by) line = line sprintf(" %s=%d", k, by[k])
             printf "%d %d %d %d%s\n", v + n, v, n, ended + 0, line
         }' "$1" "$2"
}
status_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }
pss_kb() { awk '$1 == "Pss:" { print $2 }' "/proc/$1/smaps_rollup"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# The resident and proportional size of each mapping, summed by what is mapped (a library by
# its file name, [heap], [anon], a shared-memory segment, ...): "rss pss name" lines.
mappings() { # pid
    awk '/^[0-9a-f]+-[0-9a-f]+ / {
             name = "[anon]"
             if (NF >= 6) { name = $6; for (i = 7; i <= NF; i++) name = name " " $i }
             sub(/.*\//, "", name)
             next
         }
         $1 == "Rss:" { rss[name] += $2 }
         $1 == "Pss:" { pss[name] += $2 }
         END { for (n in rss) if (rss[n] > 0) print rss[n], pss[n], n }' "/proc/$1/smaps"
}

run_case() { # on | off, title
    echo
    echo "== $2"
    start_all "$1"
    sleep "$settle"
    local n
    for n in "${names[@]}"; do
        kill -0 "${pid[$n]}" 2>/dev/null || fail "$n ended by itself"
        switches "${pid[$n]}" >"$work/$n.cs0"
    done
    local t0=$EPOCHREALTIME
    sleep "$count"
    local t1=$EPOCHREALTIME
    for n in "${names[@]}"; do
        switches "${pid[$n]}" >"$work/$n.cs1"
    done
    printf '%-14s %-7s %7s %7s %7s %7s %7s %15s %6s %9s\n' program place "RSS MB" "PSS MB" \
        "anon MB" "file MB" threads "switches (v+i)" beats "per beat"
    local i=0 p delta total vol invol ended beats per
    for n in "${names[@]}"; do
        p=${pid[$n]}
        delta=$(switch_delta "$work/$n.cs0" "$work/$n.cs1")
        read -r total vol invol ended _ <<<"$delta"
        if [ "$n" = bare ]; then
            # Its clock ticks every 2 s, when it runs.
            if [ "$1" = on ]; then beats=$((count / 2)); else beats=0; fi
        else
            beats=$(awk -v a="$t0" -v b="$t1" -v p="$p" \
                '$1 >= a && $1 < b && $3 == p { n++ } END { print n + 0 }' "$work/maps.out")
        fi
        if [ "$beats" -gt 0 ]; then
            per=$(awk -v t="$total" -v b="$beats" 'BEGIN { printf "%.1f", t / b }')
        else
            per=-
        fi
        printf '%-14s %-7s %7s %7s %7s %7s %7s %15s %6s %9s\n' "${labels[$i]}" \
            "$(placement "$p" | cut -c1-7)" "$(mb "$(status_kb "$p" VmRSS)")" \
            "$(mb "$(pss_kb "$p")")" "$(mb "$(status_kb "$p" RssAnon)")" \
            "$(mb "$(status_kb "$p" RssFile)")" "$(status_kb "$p" Threads)" \
            "$total ($vol+$invol)" "$beats" "$per"
        echo "$delta" >"$work/$n.delta"
        [ "$1" = on ] && mappings "$p" >"$work/$n.maps"
        i=$((i + 1))
    done
    echo "switches in the $count s by thread:"
    i=0
    for n in "${names[@]}"; do
        read -r total vol invol ended rest <"$work/$n.delta"
        printf '  %-14s%s%s\n' "${labels[$i]}" "${rest:- none}" \
            "$([ "$ended" -gt 0 ] && echo " ($ended threads ended in the count: part of theirs is missing)")"
        i=$((i + 1))
    done
    stop_all
}

echo "footprint: ${stages[*]}"
echo "Xvfb 1280x960 (DISPLAY=$DISPLAY) with trayer; $settle s after the start, then $count s" \
    "of counting; flashes of $duration_ms ms"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
run_case on "show on, 2 s pace, in the tray"

# The largest mappings while the show was on, by the largest resident size among the
# programs.
echo
echo "largest mappings with the show on (resident MB; the bare program, then each build):"
i=0
for n in "${names[@]}"; do
    awk -v col="$i" '{ name = $3; for (k = 4; k <= NF; k++) name = name " " $k
                       print name "\t" col "\t" $1 }' "$work/$n.maps"
    i=$((i + 1))
done | awk -F'\t' -v cols=${#names[@]} '
    { r[$1, $2] = $3; seen[$1] = 1; if ($3 > top[$1]) top[$1] = $3 }
    END {
        for (k in seen) {
            line = sprintf("%d\t  %-34.34s", top[k], k)
            for (c = 0; c < cols; c++) line = line sprintf(" %8.1f", r[k, c] / 1024)
            print line
        }
    }' | sort -rn | awk 'NR <= 16' | cut -f2- # awk reads it all: head would end sort early,
# which pipefail counts as a failure

run_case off "show stopped, log-on launch into the tray"
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
cat <<EOF

switches (v+i): voluntary (the process waited: a wake-up) plus involuntary (the scheduler took
the core: more on a busy machine). Programs side by side hear of each other: every client
that listens on the root's substructure, Qt programs among them, is woken by the messages a
program sends to the root for a window it shows (for example _NET_WM_STATE); the bare
program's switches include those of the other programs' flashes. PSS splits shared pages among
every process that maps them, on the whole machine, so it is only compared within one run.
EOF
for n in "${names[@]}"; do
    log=$work/$n.log
    if [ -s "$log" ]; then
        echo "output of $n:"
        sed 's/^/  /' "$log"
    fi
done
exit 0
