#!/usr/bin/env bash
# Compares the frame times of two commits on this machine in one sitting: each commit is checked
# out in a git worktree of its own and built in a build directory of its own, then the two
# benchmarks run interleaved (BASE NEW BASE NEW ...), so both see the same machine state, and
# cathedral-bench --compare merges each side's reports (every frame's fastest value) and says,
# per pass, whether NEW differs from BASE beyond the runs' noise.
# Usage: tools/bench/compare-builds.sh BASE NEW [rounds] [-- cathedral-bench options]
# BASE and NEW are commits (hashes, branches, tags); rounds defaults to 3; the bench options
# default to "--dt 4" (the whole tour at 1024x768). Work goes to $COMPARE_DIR (default
# build/compare-builds); JOBS sets the build's parallel jobs (default 2). Both commits must write
# reports with per-frame samples. Without a display the runs go through xvfb-run.
set -euo pipefail
if [ $# -lt 2 ]; then
    sed -n '7,12s/^# \{0,1\}//p' "$0"
    exit 2
fi
root="$(cd "$(dirname "$0")/../.." && pwd)"
base="$1"
new="$2"
shift 2
rounds=3
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    rounds="$1"
    shift
fi
[ $# -gt 0 ] && [ "$1" = "--" ] && shift
options=("$@")
[ ${#options[@]} -eq 0 ] && options=(--dt 4)
work="${COMPARE_DIR:-$root/build/compare-builds}"
mkdir -p "$work"
work="$(cd "$work" && pwd)"

launcher=()
if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# side, commit: a worktree at the commit and its benchmark built beside it
build() {
    local side="$1" commit="$2"
    local source="$work/src-$side"
    if ! git -C "$root" rev-parse --verify --quiet "$commit^{commit}" > /dev/null; then
        echo "compare-builds: $commit is no commit of $root"
        exit 1
    fi
    if [ -e "$source" ]; then
        git -C "$root" worktree remove --force "$source"
    fi
    git -C "$root" worktree add --detach --quiet "$source" "$commit"
    echo "== $side: $(git -C "$source" log -1 --format='%h %s')"
    cmake -S "$source" -B "$work/build-$side" -DCMAKE_BUILD_TYPE=Release \
        -DCATHEDRAL_BUILD_TESTS=OFF "${launcher[@]}" > "$work/configure-$side.log"
    cmake --build "$work/build-$side" -j "${JOBS:-2}" --target cathedral-bench \
        > "$work/build-$side.log"
}

run() {
    if [ -z "${DISPLAY:-}" ]; then
        xvfb-run -a -s "-screen 0 2600x1600x24" "$@"
    else
        "$@"
    fi
}

build base "$base"
build new "$new"

reports_base=()
reports_new=()
for round in $(seq 1 "$rounds"); do
    for side in base new; do
        report="$work/$side-$round.json"
        echo "== round $round/$rounds: $side"
        # the tool reads Shader/ and Assets/ beside itself
        (cd "$work/build-$side/bin" &&
            run ./cathedral-bench --no-progress --json "$report" "${options[@]}") \
            > "$work/$side-$round.log" 2>&1 ||
            { echo "compare-builds: the $side run failed, see $work/$side-$round.log"; exit 1; }
        if [ "$side" = base ]; then reports_base+=("$report"); else reports_new+=("$report"); fi
    done
done

join() { local IFS=,; echo "$*"; }
echo
"$work/build-new/bin/cathedral-bench" --compare "$(join "${reports_base[@]}")" \
    "$(join "${reports_new[@]}")"
