#!/usr/bin/env bash
# Renders the README's picture of the F9 overlay: the real demo at 1024x768 in a scratch copy of
# the runtime folder, F9 pressed, the mouse resting on the exposure slider (its tooltip shown),
# then F12; the screenshot goes to docs/overlay.png. Needs xdotool, and a display or xvfb-run.
# Usage: tools/bench/overlay-picture.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
source "$root/scripts/display.sh"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for entry in "$build/bin"/*; do
    ln -s "$entry" "$scratch/"
done
rm "$scratch/options.ini"
printf '[Window]\nwidth=1024\nheight=768\n' > "$scratch/options.ini"

drive() {
    cd "$scratch"
    ./cathedral > console.txt 2>&1 &
    local demo=$!
    local window=""
    for _ in $(seq 100); do
        window="$(xdotool search --pid "$demo" 2>/dev/null | head -1 || true)"
        [ -n "$window" ] && grep -q "Loading Shaders!" console.txt && break
        sleep 0.2
    done
    sleep 3
    xdotool key --window "$window" F9
    sleep 4 # the pass times come back a few frames later
    xdotool mousemove --window "$window" 880 44
    sleep 3
    xdotool key --window "$window" F12
    for _ in $(seq 100); do
        grep -q "Screenshot saved" console.txt && break
        sleep 0.2
    done
    sleep 1
    xdotool key --window "$window" Escape
    wait "$demo"
}
export -f drive
export scratch
on_display bash -c drive
cp "$scratch/screenshot-0001.png" "$root/docs/overlay.png"
echo "$root/docs/overlay.png"
