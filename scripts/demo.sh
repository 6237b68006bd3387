#!/usr/bin/env bash
# Installs what is missing, builds the demo in Release and starts it from the build tree.
# Without a display it runs under a virtual X server (Xvfb) and says so.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/display.sh"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build" --target cathedral -j "$(nproc)"

cd "$root/build/bin"
no_display &&
    echo "No display found: running the demo under xvfb-run (nothing will be visible; Ctrl+C stops it)."
on_display ./cathedral
