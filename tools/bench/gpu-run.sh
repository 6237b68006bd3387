#!/usr/bin/env bash
# The GPU sweep, written once: gpu-bundle.sh carries this file into the bundle as run.sh, and
# gpu-sweep.sh runs it on a build. It renders the sweep (1280x720, 1920x1080, 2560x1440, each
# with the cube maps updated every frame and static) with every effect on, colored shadows
# included, and writes DEST/sweep.json, DEST/sweep.csv and DEST/sweep.md (the per-pass table
# with the build, the command and the GL line: renderer, platform, EGL vendor), the full log in
# DEST/sweep.log. Without a display cathedral-bench renders headless through EGL by itself.
# A short probe comes first: when GL_RENDERER names a software rasteriser (llvmpipe, softpipe,
# swrast, lavapipe, SwiftShader, ...) it reports nothing and exits 1, unless --allow-software.
# Usage: run.sh DEST [--allow-software] [-- cathedral-bench options, e.g. --dt 1 --repeat 1]
# The bench is cathedral-bench beside this file, or $CATHEDRAL_BENCH. The defaults are --dt 0.25
# --repeat 3 (the whole tour, each frame's fastest of three); options given after -- come later
# and win.
set -euo pipefail
if [ $# -lt 1 ] || [ "${1#-}" != "$1" ]; then
    sed -n '10,13s/^# \{0,1\}//p' "$0"
    exit 2
fi
dest="$1"
shift
allow_software=0
if [ $# -gt 0 ] && [ "$1" = "--allow-software" ]; then
    allow_software=1
    shift
fi
[ $# -gt 0 ] && [ "$1" = "--" ] && shift
bench="${CATHEDRAL_BENCH:-$(cd "$(dirname "$0")" && pwd)/cathedral-bench}"
if [ ! -x "$bench" ]; then
    echo "run.sh: no cathedral-bench at $bench"
    exit 1
fi
mkdir -p "$dest"
dest="$(cd "$dest" && pwd)"

# The renderer string of the GL line: "GL: vendor | renderer | version; platform; ..."
"$bench" --size 64x48 --frames 1 --gpu-timer 0 --no-progress > "$dest/probe.log" 2>&1 || {
    echo "run.sh: cathedral-bench could not render (see $dest/probe.log):"
    grep -v '^\(build\|command\)' "$dest/probe.log" | head -3
    exit 1
}
renderer="$(sed -n 's/^GL: [^|]*| \([^|]*\) |.*/\1/p' "$dest/probe.log" | head -1)"
echo "run.sh: renderer: $renderer"
if echo "$renderer" | grep -qiE 'llvmpipe|softpipe|swrast|lavapipe|swiftshader|software'; then
    if [ "$allow_software" -eq 0 ]; then
        echo "run.sh: '$renderer' is a software rasteriser, not a GPU: no figures reported" \
            "(--allow-software runs anyway)"
        exit 1
    fi
    echo "run.sh: software rasteriser allowed by --allow-software: these are no GPU figures"
fi

echo "== cathedral-bench --sweep, all effects on"
status=0
"$bench" --sweep --bump 1 --bloom 1 --ssao 1 --transparent 1 --omni 1 --colored 1 --aa 1 \
    --light-mode 0 --dt 0.25 --repeat 3 --no-progress "$@" \
    --json "$dest/sweep.json" --csv "$dest/sweep.csv" > "$dest/sweep.log" 2>&1 || status=$?
grep -E '^(\||GL:|build|command)' "$dest/sweep.log" > "$dest/sweep.md" || true
cat "$dest/sweep.md"
if [ "$status" -ne 0 ]; then
    echo "run.sh: cathedral-bench failed (exit $status); see $dest/sweep.log"
    exit "$status"
fi
echo "Wrote $dest/sweep.json, $dest/sweep.csv and $dest/sweep.md"
