#!/usr/bin/env bash
# Renders the before/after pictures of docs/quality/ from two builds: the same tour frames at
# 1024x768 (nave, aisle, apse, dome, the window light with colored shadows on), a close-up of
# mortar grooves, a chain against the wall with anti-aliasing off and on (AFTER build only), and
# three tour frames of both builds in one picture. Needs ImageMagick (convert).
# Usage: tools/bench/quality-pictures.sh BEFORE_BIN AFTER_BIN [OUT_DIR]
# BEFORE_BIN and AFTER_BIN are build bin directories (cathedral-bench with Shader/ and Assets/
# beside it); OUT_DIR defaults to docs/quality. Without a display the runs go through xvfb-run.
set -euo pipefail
if [ $# -lt 2 ]; then
    sed -n '6,8s/^# \{0,1\}//p' "$0"
    exit 2
fi
root="$(cd "$(dirname "$0")/../.." && pwd)"
before="$(cd "$1" && pwd)"
after="$(cd "$2" && pwd)"
out="$(mkdir -p "${3:-$root/docs/quality}" && cd "${3:-$root/docs/quality}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source "$root/tools/bench/capture-frame.sh"

# capture BIN OUT.png TIME [switch options...]: one tour frame at TIME seconds, 1024x768.
capture() {
    local bin="$1" file="$2" time="$3"
    shift 3
    capture_frame "$bin" "$file" 1024x768 "$time" "$@"
}

# view NAME TIME [switch options...]: NAME-before.png and NAME-after.png
view() {
    local name="$1"
    shift
    capture "$before" "$out/$name-before.png" "$@"
    capture "$after" "$out/$name-after.png" "$@"
    echo "$out/$name-before.png $out/$name-after.png"
}

view nave 0
view aisle 40
view apse 55
view dome 90
view window-light 10 --colored 1

# Mortar grooves: a wall close to the camera, 320x240 of it at twice the size.
capture "$before" "$work/grooves-before.png" 30
capture "$after" "$work/grooves-after.png" 30
for side in before after; do
    convert "$work/grooves-$side.png" -crop 320x240+100+150 +repage -scale 200% \
        "$out/mortar-grooves-$side.png"
done
echo "$out/mortar-grooves-before.png $out/mortar-grooves-after.png"

# A chain against the wall, anti-aliasing off (left) and on (right), 240x300 at twice the size.
capture "$after" "$work/chain-off.png" 30 --aa 0
capture "$after" "$work/chain-on.png" 30 --aa 1
for side in off on; do
    convert "$work/chain-$side.png" -crop 240x300+600+0 +repage -scale 200% "$work/crop-$side.png"
done
convert "$work/crop-off.png" "$work/crop-on.png" +append "$out/chain-aa-off-on.png"
echo "$out/chain-aa-off-on.png"

# Three tour frames, before on the left, after on the right, half size.
for time in 5 45 80; do
    capture "$before" "$work/tour-$time-before.png" "$time"
    capture "$after" "$work/tour-$time-after.png" "$time"
    convert "$work/tour-$time-before.png" "$work/tour-$time-after.png" +append -resize 50% \
        "$work/tour-$time.png"
done
convert "$work/tour-5.png" "$work/tour-45.png" "$work/tour-80.png" -append \
    "$out/tour-before-after.png"
echo "$out/tour-before-after.png"
