#!/usr/bin/env bash
# Renders every reference picture of the golden-image test (tests/golden/*.png) again from the
# current build: run it when a change of the picture is meant, and commit the new pictures with
# that change, so that review sees what changed. Usage: tools/bench/golden-references.sh
# [BUILD_DIR] (default build). Needs a display or xvfb-run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/display.sh"
build="${1:-$root/build}"
cmake --build "$build" --target GoldenImagesGLTest
# Every reference is rendered anew, so a frame the test no longer renders leaves no picture behind.
rm -f "$root"/tests/golden/*.png
(cd "$build/tests" && on_display env CATHEDRAL_UPDATE_GOLDEN=1 ./GoldenImagesGLTest) > /dev/null
git -C "$root" status --short -- tests/golden
