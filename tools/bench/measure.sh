#!/usr/bin/env bash
# Measures the frame on this machine with cathedral-bench: the size sweep (cube maps every frame
# and static) and, at 1024x768 with static cube maps, one run per switch turned off, so the cost
# of each effect shows as the difference to the all-on run. Also saves the README pictures.
# Usage: tools/bench/measure.sh [build dir] [output dir] [tour seconds per frame] [repeats]
# The sweep here is 640x480 and 1024x768, the sizes software rendering manages in minutes
# (tools/bench/gpu-sweep.sh runs the default sweep on a GPU). Without a display it runs under
# xvfb-run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/display.sh"
build="${1:-$root/build}"
out="$(mkdir -p "${2:-$build/bench}" && cd "${2:-$build/bench}" && pwd)"
dt="${3:-2}"
repeats="${4:-2}"
bench="$build/bin/cathedral-bench"

# The tool reads Shader/ and Assets/ from the working directory: run it beside them.
cd "$build/bin"

run() {
    on_display "$bench" "$@"
}

# name, then the options of the run
single() {
    local name="$1"
    shift
    echo "== $name: cathedral-bench --repeat $repeats $*"
    run --no-progress --repeat "$repeats" --json "$out/$name.json" "$@" > "$out/$name.log" 2>&1
    grep '^|' "$out/$name.log"
}

echo "== sweep: cathedral-bench --sweep-sizes 640x480,1024x768 --dt $dt --repeat $repeats"
run --no-progress --sweep-sizes 640x480,1024x768 --dt "$dt" --repeat "$repeats" \
    --json "$out/sweep.json" --csv "$out/sweep.csv" > "$out/sweep.log" 2>&1
grep '^|' "$out/sweep.log"

single all-static --dt "$dt" --update-shadow-maps 0
for off in ssao bloom transparent omni bump; do
    single "no-$off" --dt "$dt" --update-shadow-maps 0 "--$off" 0
done
single ambient-only --dt "$dt" --update-shadow-maps 0 --light-mode 2
# what the timer queries cost: the same frames without them
single no-timer --dt "$dt" --update-shadow-maps 0 --gpu-timer 0

repeats=1
single pictures --dt 200 --capture 5,30,45,50,75,90 --capture-dir "$out/pictures"
single pictures-colored --dt 200 --colored 1 --capture 5,45 --capture-dir "$out/pictures/colored"
uptime
