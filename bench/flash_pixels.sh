#!/usr/bin/env bash
# Flashes timed by their pixels: the real program, driven by its own pacing clock at a 2 s
# pace, under an X server of this script's own with a tray host, showing one known message at
# the centre of a plain screen; flash_pixels samples the place and prints, per duration, the
# median and worst of |visible time - chosen duration|, the delay from the map to the pixels,
# and the samples that showed the window up but blank or half-drawn.
#
#   bench/flash_pixels.sh [--quick] [--flashes N] [--rate HZ] [--slow MS] <stage folder>
#
#   --quick      20, 60 and 200 ms, 10 flashes each unless --flashes says otherwise (about a
#                minute and a half)
#   --flashes N  flashes per duration (default 50: every duration takes about 1 min 50 s, the
#                whole run about 15 min)
#   --rate HZ    samples per second (default 4000)
#   --slow MS    also print each flash more than MS off its duration, with how long the server
#                held its window mapped (see flash_pixels.cpp)
#
# The application folder is a copy of the stage folder whose library is one program of one
# message, so that every flash is the same picture at the same place. The helpers come from
# the build folder next to the stage folder (BENCH_BIN overrides). A benchmark, not a test: it
# exits 0 whatever the figures; only a run that could not be made exits non-zero.
# shellcheck source-path=SCRIPTDIR source=x-session.bash
source "$(dirname "$0")/x-session.bash"

flashes=50
flashes_given=false
rate=4000
slow=()
quick=false
stage=
while [ $# -gt 0 ]; do
    case $1 in
    --quick) quick=true ;;
    --flashes)
        flashes=$2
        flashes_given=true
        shift
        ;;
    --rate)
        rate=$2
        shift
        ;;
    --slow)
        slow=(--slow "$2")
        shift
        ;;
    -*) fail "unknown option $1" ;;
    *) stage=$1 ;;
    esac
    shift
done
[ -n "$stage" ] || fail "usage: flash_pixels.sh [--quick] [--flashes N] [--rate HZ] [--slow MS] <stage folder>"
check_stage "$stage"
stage=$(cd "$stage" && pwd)
bin=$(helpers_of "$stage" flash_pixels xwatch)

# The program's duration choices, in the order of its list (the stored index is the place).
durations=(20 40 60 80 100 125 150 200)
indices=(0 1 2 3 4 5 6 7)
if $quick; then
    indices=(0 2 7)
    $flashes_given || flashes=10
fi

start_tray_host "$bin"
new_instance z "$stage"
app=$work/z/app
rm -rf "$app/plugins" "$app/FileNames.txt"
mkdir "$app/plugins"
printf '"Probe",#TRUE#\r\n' >"$app/FileNames.txt"
printf '"Keep going, you are doing well",#TRUE#\r\n' >"$app/plugins/Probe.txt"

echo "flash_pixels: $stage/zentrivo, $flashes flashes per duration at a 2 s pace, $rate Hz," \
    "DISPLAY=$DISPLAY"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
"$bin/flash_pixels" --header
for i in "${indices[@]}"; do
    # The show on at the shortest interval, one message "As Written" at the centre.
    write_settings z True 0 "$i" 1 1 False
    in_instance z "$bin/flash_pixels" --duration "${durations[$i]}" --flashes "$flashes" \
        --rate "$rate" "${slow[@]}" -- "$app/zentrivo" 2>>"$work/z.log" ||
        fail "no figures for ${durations[$i]} ms"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
cat <<EOF

Each flash is timed from the first sample that shows anything of it to the first that shows
the plain background again; every time is known to within one sample period (see the rate).
"worst" is the worst of the $flashes flashes measured; no percentile is printed, since
$flashes flashes cannot carry one (a p99 of 50 would be the worst one). map->
is from the server's map of the window to the first sample with its pixels (any, then the
finished picture). blank / half-drawn: samples taken while the window was mapped that showed
only the background, or neither the background nor the finished picture. windows: how many
native windows the measured flashes used (one per flash, or one reused).
EOF
if [ -s "$work/z.log" ]; then
    echo "program output:"
    sed 's/^/  /' "$work/z.log"
fi
exit 0
