#!/usr/bin/env bash
# Builds the core library, the tests and the fuzz targets with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, build-asan/) and runs the test suite there: any sanitizer
# report fails its test. Leak detection stays on; the reviewed list tests/robustness/lsan.supp
# names the only leak outside our code that a test meets. The fuzz targets (label "fuzz") each run for a bounded time on top of their corpus.
# The soak test (label "long") is left out here: it repeats what the normal build already
# checks, 5,000 frames, and would only measure the sanitizers' overhead. Run it with
#   scripts/test-sanitizers.sh -L long
# Extra arguments go to ctest and replace the default selection (for example: -R Fuzzer).
# The test programs run in parallel, one per core, as in scripts/test.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/display.sh"
build="${CATHEDRAL_SANITIZE_BUILD_DIR:-$root/build-asan}"

# The baked indirect light is the same for every build of these sources: the plain build's probe
# file, where one exists, is copied instead of baking it again under instrumentation.
plain_probes="${CATHEDRAL_BUILD_DIR:-$root/build}/bin/Assets/indirect_light.probes"
probes_from=(-DCATHEDRAL_PROBES_FROM=)
if [ -f "$plain_probes" ]; then
    probes_from=(-DCATHEDRAL_PROBES_FROM="$plain_probes")
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCATHEDRAL_SANITIZE=ON -DCATHEDRAL_FUZZ=ON -DCATHEDRAL_WARNINGS_AS_ERRORS=OFF \
    "${probes_from[@]}"
cmake --build "$build" -j "$(nproc)"

# Reports end the program with a non-zero exit code, so ctest sees them as failures.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/robustness/lsan.supp:print_suppressions=0"
# The window library unloads the GL driver at shutdown; keeping it mapped lets the leak checker
# tell the driver's own memory (still reachable from the driver) from ours.
export LD_PRELOAD="$build/lib/libcathedral-keep-modules-loaded.so${LD_PRELOAD:+:$LD_PRELOAD}"

run_ctest() {
    on_display ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
}

no_display && echo "No display found: running the sanitizer tests under xvfb-run."
if [ $# -gt 0 ]; then
    run_ctest "$@"
    exit
fi
run_ctest -LE long
