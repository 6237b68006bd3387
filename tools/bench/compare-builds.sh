#!/usr/bin/env bash
# Compares the frame times of two commits on this machine in one sitting: each commit is checked
# out in a git worktree of its own and built in a build directory of its own, then
# compare-bins.sh runs the two benchmarks interleaved (BASE NEW BASE NEW ...), so both see the
# same machine state, and compares them (cathedral-bench --compare, or the summary medians for a
# build from before the per-frame samples).
# Usage: tools/bench/compare-builds.sh BASE NEW [rounds] [-- cathedral-bench options]
# BASE and NEW are commits (hashes, branches, tags); rounds defaults to 3; the bench options
# default to "--dt 4" (the whole tour at 1024x768). Work goes to $COMPARE_DIR (default
# build/compare-builds); JOBS sets the build's parallel jobs (default 2). Without a display the
# runs go through xvfb-run.
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

build base "$base"
build new "$new"

# The interleaved runs and the comparison are compare-bins.sh's, on the two builds.
COMPARE_DIR="$work" exec "$root/tools/bench/compare-bins.sh" "$work/build-base/bin" \
    "$work/build-new/bin" "$rounds" -- "${options[@]}"
