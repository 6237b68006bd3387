#!/usr/bin/env bash
# The size sweep on this checkout's build, on whatever GPU the machine has: with a display the
# bench renders in a hidden GLX window (a desktop), without one headless through EGL (a server;
# gpu-bundle.sh packs the same run for a machine without our packages). The sweep itself, its
# options and its refusal to report a software rasteriser's figures are gpu-run.sh's.
# Usage: tools/bench/gpu-sweep.sh [build dir] [output dir] [tour seconds per frame] [repeats]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="${2:-$build/gpu-sweep}"
CATHEDRAL_BENCH="$build/bin/cathedral-bench" exec "$root/tools/bench/gpu-run.sh" "$out" -- \
    --dt "${3:-0.25}" --repeat "${4:-3}"
