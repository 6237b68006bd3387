#!/usr/bin/env bash
# Renders the README's pictures with cathedral-bench: tour views at 640x480 and the nave at
# 400x300 in every switch state that changes the picture, into docs/ (docs/tour-*.png and
# docs/switches/*.png). Usage: tools/bench/readme-pictures.sh [BUILD_DIR]
# Needs a display or xvfb-run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"

source "$root/tools/bench/capture-frame.sh"

# capture OUT.png SIZE TIME [switch options...]: one frame of the tour at TIME seconds.
capture() {
    capture_frame "$build/bin" "$@"
    echo "$1"
}

mkdir -p "$root/docs/switches"
capture "$root/docs/tour-nave.png" 640x480 0
capture "$root/docs/tour-aisle.png" 640x480 40
capture "$root/docs/tour-apse.png" 640x480 55
capture "$root/docs/tour-crossing.png" 640x480 64
capture "$root/docs/tour-dome.png" 640x480 90
capture "$root/docs/tour-colored-shadows.png" 640x480 10 --colored 1

switches="$root/docs/switches"
capture "$switches/all-on.png" 400x300 0
capture "$switches/light-mode-1.png" 400x300 0 --light-mode 1
capture "$switches/light-mode-2.png" 400x300 0 --light-mode 2
capture "$switches/no-bump-mapping.png" 400x300 0 --bump 0
capture "$switches/no-bloom.png" 400x300 0 --bloom 0
capture "$switches/no-ssao.png" 400x300 0 --ssao 0
capture "$switches/no-transparent-objects.png" 400x300 0 --transparent 0
capture "$switches/no-omnidirectional-shadows.png" 400x300 0 --omni 0
capture "$switches/colored-shadows.png" 400x300 0 --colored 1
capture "$switches/no-anti-aliasing.png" 400x300 0 --aa 0
