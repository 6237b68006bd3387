#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite with ctest, one test
# program per core at a time (the programs share no files, ports or window titles).
# Without a display the suite runs under a virtual X server (Xvfb), so the GL tests get a real
# context from Mesa; they fail, never skip, when none can be created.
# Extra arguments go to ctest (for example: -L gl, or -R Mesh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/display.sh"
build="${CATHEDRAL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release ${CATHEDRAL_CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc)"

no_display && echo "No display found: running the tests under xvfb-run."
on_display ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
