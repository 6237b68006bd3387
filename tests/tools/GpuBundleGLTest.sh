#!/usr/bin/env bash
# The GPU bundle as a bare machine would meet it: built from this build, it loads every library
# from its own lib/ but the C library's and the loader (checked with ldd through the wrapper's
# loader path), its wrapper names a library that went missing, and its run.sh runs headless here
# on Mesa with the software switch at one tiny size, refusing to report figures without it.
# Usage: GpuBundleGLTest.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir="$1"
build_dir="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
bundle="$work/bundle"
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

"$source_dir/tools/bench/gpu-bundle.sh" "$bundle" "$build_dir" || {
    echo "FAILED: gpu-bundle.sh"
    exit 1
}

# Anything resolved outside the bundle must be glibc's, the loader or the vDSO (what this
# process preloads, as the sanitizer run does, is no need of the bench's).
foreign="$(env -u LD_PRELOAD LD_LIBRARY_PATH="$bundle/lib" ldd "$bundle/bin/cathedral-bench" |
    grep -v "=> $bundle/lib/" |
    grep -vE '^\s*(linux-vdso|/lib64/ld-linux-x86-64|libc|libm|libdl|libpthread|librt)\.so|^\s*/lib64/ld-linux' ||
    true)"
[ -z "$foreign" ] || fail "resolved outside the bundle: $foreign"
grep -qx 'libEGL.so.1' "$bundle/lib/MANIFEST" || fail "libEGL.so.1 is not bundled"
grep -qx 'libGLdispatch.so.0' "$bundle/lib/MANIFEST" || fail "libGLdispatch.so.0 is not bundled"

mv "$bundle/lib/libassimp.so.5" "$work/"
output="$("$bundle/cathedral-bench" --help 2>&1)"
status=$?
mv "$work/libassimp.so.5" "$bundle/lib/"
[ "$status" -eq 1 ] || fail "a missing library gave exit $status"
echo "$output" | grep -q 'missing lib/libassimp.so.5' || fail "missing library not named: $output"

output="$(env -u DISPLAY "$bundle/run.sh" "$work/refused" 2>&1)"
status=$?
[ "$status" -eq 1 ] || fail "run.sh on llvmpipe without the switch gave exit $status"
echo "$output" | grep -q 'software rasteriser' || fail "run.sh did not say why: $output"
[ ! -e "$work/refused/sweep.json" ] || fail "run.sh reported figures from a software rasteriser"

output="$(env -u DISPLAY "$bundle/run.sh" "$work/run" --allow-software -- --sweep-sizes 48x32 \
    --frames 1 --repeat 1 --warmup 0 2>&1)"
status=$?
[ "$status" -eq 0 ] || fail "run.sh --allow-software gave exit $status: $output"
for file in sweep.json sweep.csv sweep.md; do
    [ -s "$work/run/$file" ] || fail "run.sh wrote no $file"
done
grep -q '^GL: .*EGL surfaceless' "$work/run/sweep.md" || fail "the sweep did not run headless"
grep -q '| 48x32 | 48x32 static |' "$work/run/sweep.md" || fail "the table lacks both runs"

[ "$failures" -eq 0 ] && echo "GpuBundleGLTest: passed"
exit $((failures > 0))
