#!/usr/bin/env bash
# Makes the README's animated preview of the tour: cathedral-bench captures frames along the whole
# flight at a small size, ImageMagick joins them into a looping GIF with a shared palette.
# Usage: tools/bench/tour-preview.sh [BUILD_DIR] [OUT.gif] [STEP_SECONDS] [WIDTHxHEIGHT]
# Defaults: build, docs/tour-preview.gif, 2 s of tour per frame, 320x240. Needs a display or
# xvfb-run, and ImageMagick (Debian imagemagick).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/display.sh"
build="$(cd "${1:-$root/build}" && pwd)"
out="${2:-$root/docs/tour-preview.gif}"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
step="${3:-2}"
size="${4:-320x240}"

for tool in convert awk; do
    command -v "$tool" > /dev/null || { echo "tour-preview.sh: $tool not found"; exit 1; }
done
frames="$(mktemp -d)"
trap 'rm -rf "$frames"' EXIT

# The tour lasts about 111 s as shown; captures past its end are reported and skipped.
times=$(awk -v step="$step" 'BEGIN { for (t = 0; t <= 110; t += step) printf "%s%.2f", (t ? "," : ""), t }')
run=(./cathedral-bench --size "$size" --dt "$step" --capture "$times" --capture-dir "$frames"
     --gpu-timer 0 --no-progress)
cd "$build/bin"
# The program's console lines (standard error) are shown only when the run fails.
log="$frames/log"
on_display "${run[@]}" > /dev/null 2> "$log" || { cat "$log"; exit 1; }

delay=$(awk -v step="$step" 'BEGIN { printf "%d", step * 100 / 8 }') # 8x the flight's speed
convert -delay "$delay" -loop 0 "$frames"/capture_*.png -layers Optimize +dither -colors 96 "$out"
echo "Wrote $out ($(du -h "$out" | cut -f1), $(ls "$frames"/capture_*.png | wc -l) frames)"
