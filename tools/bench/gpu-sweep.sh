#!/usr/bin/env bash
# The size sweep on a Linux machine with an NVIDIA GPU and no display: a private Xvfb provides
# the X screen, and GLVND is told to load NVIDIA's GL library for it
# (__GLX_VENDOR_LIBRARY_NAME=nvidia), so the hidden GLX window renders on the GPU. Runs the
# default sweep (1280x720, 1920x1080, 2560x1440, cube maps every frame and static) with every
# effect on, colored shadows included, and writes the report, the frames and the table.
# Usage: tools/bench/gpu-sweep.sh [build dir] [output dir] [tour seconds per frame] [repeats]
# Fails, instead of reporting software-rendered numbers, when GL_RENDERER is not NVIDIA's.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="$(mkdir -p "${2:-$build/gpu-sweep}" && cd "${2:-$build/gpu-sweep}" && pwd)"
dt="${3:-0.25}"
repeats="${4:-3}"
bench="$build/bin/cathedral-bench"

if [ ! -x "$bench" ]; then
    echo "gpu-sweep: no $bench: build the cathedral-bench target first"
    exit 1
fi
if ! command -v Xvfb > /dev/null; then
    echo "gpu-sweep: Xvfb not found (Debian xvfb)"
    exit 1
fi

# A display number nobody uses, and a screen larger than the largest size.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 2600x1600x24 -nolisten tcp > "$out/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2> /dev/null || true' EXIT
for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
export DISPLAY=":$display"
export __GLX_VENDOR_LIBRARY_NAME=nvidia

cd "$build/bin" # the tool reads Shader/ and Assets/ from here
echo "== cathedral-bench --sweep, all effects on, dt $dt, fastest of $repeats repeats"
status=0
"$bench" --sweep --bump 1 --bloom 1 --ssao 1 --transparent 1 --omni 1 --colored 1 \
    --light-mode 0 --dt "$dt" --repeat "$repeats" --no-progress \
    --json "$out/gpu-sweep.json" --csv "$out/gpu-sweep.csv" > "$out/gpu-sweep.log" 2>&1 ||
    status=$?
grep -E '^(\||GL:|build|command)' "$out/gpu-sweep.log" | tee "$out/gpu-sweep.md" || true
if ! grep -q '^GL: NVIDIA' "$out/gpu-sweep.log"; then
    echo "gpu-sweep: the runs did not render on the NVIDIA GPU; see $out/gpu-sweep.log"
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "gpu-sweep: cathedral-bench failed (exit $status); see $out/gpu-sweep.log"
    exit "$status"
fi
echo "Wrote $out/gpu-sweep.json, $out/gpu-sweep.csv and $out/gpu-sweep.md"
