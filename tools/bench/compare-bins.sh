#!/usr/bin/env bash
# Compares two builds that already exist, side by side in one sitting: their benchmarks run
# interleaved (BASE NEW BASE NEW ...) so both see the same machine state, and the NEW build's
# cathedral-bench --compare merges each side's reports and says, per pass, whether NEW differs
# from BASE beyond the runs' noise. compare-builds.sh does the same from two commits.
# Usage: tools/bench/compare-bins.sh BASE_BIN NEW_BIN [rounds] [-- cathedral-bench options]
# BASE_BIN and NEW_BIN are build bin directories (cathedral-bench with Shader/ and Assets/ beside
# it); rounds defaults to 2; the options default to "--dt 4 --repeat 2" (the whole tour at
# 1024x768, every frame's faster repeat). Reports go to $COMPARE_DIR (default /tmp/compare-bins).
# Without a display the runs go through xvfb-run.
set -euo pipefail
if [ $# -lt 2 ]; then
    sed -n '6,10s/^# \{0,1\}//p' "$0"
    exit 2
fi
base="$(cd "$1" && pwd)"
new="$(cd "$2" && pwd)"
shift 2
rounds=2
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    rounds="$1"
    shift
fi
[ $# -gt 0 ] && [ "$1" = "--" ] && shift
options=("$@")
[ ${#options[@]} -eq 0 ] && options=(--dt 4 --repeat 2)
work="${COMPARE_DIR:-/tmp/compare-bins}"
mkdir -p "$work"
source "$(dirname "$0")/../../scripts/display.sh"
# room for the largest sweep size
export XVFB_SCREEN="${XVFB_SCREEN:-2600x1600x24}"

reports_base=()
reports_new=()
for round in $(seq 1 "$rounds"); do
    for side in base new; do
        bin="$base"
        [ "$side" = new ] && bin="$new"
        report="$work/$side-$round.json"
        echo "== round $round/$rounds: $side ($bin)"
        # the tool reads Shader/ and Assets/ beside itself
        (cd "$bin" && on_display ./cathedral-bench --no-progress --json "$report" "${options[@]}") \
            > "$work/$side-$round.log" 2>&1 ||
            { echo "compare-bins: the $side run failed, see $work/$side-$round.log"; exit 1; }
        if [ "$side" = base ]; then reports_base+=("$report"); else reports_new+=("$report"); fi
    done
done

join() { local IFS=,; echo "$*"; }
echo
if ! "$new/cathedral-bench" --compare "$(join "${reports_base[@]}")" \
    "$(join "${reports_new[@]}")"; then
    # Reports without per-frame samples (older builds): each pass's median from the runs'
    # summary tables, the lowest over the rounds, and their ratio NEW / BASE.
    echo "compare-bins: comparing the summary medians instead"
    awk -F'|' '
        FNR == 1 { side = FILENAME ~ /\/base-[0-9]+\.log$/ ? "base" : "new" }
        NF > 3 && $3 ~ /^ *[0-9.]+ *$/ {
            name = $2; gsub(/^ +| +$/, "", name); value = $3 + 0
            if (name == "CPU") name = "CPU, main thread" # the row as older builds named it
            key = side SUBSEP name
            if (!(key in best) || value < best[key]) best[key] = value
            if (!(name in seen)) { seen[name] = 1; order[++count] = name }
        }
        END {
            printf "| %-18s | %10s | %10s | %6s |\n", "pass", "base ms", "new ms", "ratio"
            for (i = 1; i <= count; ++i) {
                name = order[i]; b = best["base" SUBSEP name]; n = best["new" SUBSEP name]
                if (b > 0) printf "| %-18s | %10.1f | %10.1f | %6.2f |\n", name, b, n, n / b
            }
        }' "$work"/base-*.log "$work"/new-*.log
fi
