#!/usr/bin/env bash
# Renders every reference picture of the golden-image test (tests/golden/*.png) again from the
# current build: run it when a change of the picture is meant, and commit the new pictures with
# that change, so that review sees what changed. Usage: tools/bench/golden-references.sh
# [BUILD_DIR] (default build). Needs a display or xvfb-run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target GoldenImagesGLTest
run=(env CATHEDRAL_UPDATE_GOLDEN=1 ./GoldenImagesGLTest)
(cd "$build/bin" && if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
else
    "${run[@]}"
fi) > /dev/null
git -C "$root" status --short -- tests/golden
