#!/usr/bin/env bash
# What a frame debugger sees: an apitrace trace of a three-frame `cathedral-bench --gl-groups` run
# holds, in every frame, one debug group per pass that ran, named and ordered as the bench's own
# table lists the passes (the switched-off SSAO pass absent), the G-buffer's labels on its
# framebuffer and textures, and glretrace replays it without an error. The bench runs in its
# hidden GLX window: apitrace's EGL wrapper misses the calls GLEW loads through GLX, so a
# --headless trace holds no pass at all.
# Usage: GlGroupsTraceGLTest.sh BENCH_EXECUTABLE (with a display, e.g. under xvfb-run)
set -uo pipefail
bench="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

for tool in apitrace glretrace; do
    command -v "$tool" > /dev/null || {
        echo "FAILED: $tool is not installed (scripts/install-deps.sh installs apitrace)"
        exit 1
    }
done
[ -n "${DISPLAY:-}" ] || {
    echo "FAILED: no display; run under xvfb-run"
    exit 1
}

# From the bench's own folder, where its Shader/ and Assets/ are.
cd "$(dirname "$bench")" || exit 1
frames=3
apitrace trace --api gl -o "$work/run.trace" "$bench" --gl-groups --ssao 0 --frames "$frames" \
    --warmup 0 --from 8 --size 160x120 --no-progress > "$work/report.txt" 2> "$work/console.txt" || {
    echo "FAILED: the traced bench run"
    tail -n 20 "$work/console.txt"
    exit 1
}
apitrace dump --color=never "$work/run.trace" > "$work/dump.txt" || {
    echo "FAILED: apitrace dump"
    exit 1
}

# The passes that ran, in the table's order: its rows up to the frame's, without the "off" ones.
mapfile -t ran < <(sed -n '/^|---/,/^| frame (GPU)/p' "$work/report.txt" |
    awk -F'|' 'NR > 1 && $2 !~ /frame \(GPU\)/ && $3 !~ /off/ {
        gsub(/^ +| +$/, "", $2); print $2 }')
[ "${#ran[@]}" -ge 3 ] || fail "no pass table in the report: $(cat "$work/report.txt")"
printf '%s\n' "${ran[@]}" | grep -qx 'SSAO' && fail "the table shows SSAO run with --ssao 0"
expected=""
for ((frame = 0; frame < frames; ++frame)); do
    expected+="$(printf '%s\n' "${ran[@]}")"$'\n'
done
pushed="$(grep -o 'glPushDebugGroup(.*message = "[^"]*"' "$work/dump.txt" |
    sed 's/.*message = "//; s/"$//')"$'\n'
[ "$pushed" = "$expected" ] ||
    fail "the groups pushed are not each frame's passes in order: got"$'\n'"$pushed"
pops="$(grep -c 'glPopDebugGroup()' "$work/dump.txt")"
[ "$pops" -eq "$(grep -c 'glPushDebugGroup(' "$work/dump.txt")" ] ||
    fail "$pops pops for the pushes"

grep -q 'glObjectLabel(identifier = GL_FRAMEBUFFER, .*label = "G-buffer")' "$work/dump.txt" ||
    fail "the G-buffer's framebuffer carries no label"
textures="$(grep -o 'glObjectLabel(identifier = GL_TEXTURE, .*label = "G-buffer [^"]*"' \
    "$work/dump.txt" | sed 's/.*label = //' | sort -u)"
[ "$(printf '%s\n' "$textures" | grep -c .)" -eq 3 ] ||
    fail "not three G-buffer texture labels: $textures"

glretrace "$work/run.trace" > "$work/replay.txt" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "glretrace gave exit $status: $(tail -n 20 "$work/replay.txt")"
errors="$(grep -i 'error' "$work/replay.txt")"
[ -z "$errors" ] || fail "glretrace reported errors: $errors"

[ "$failures" -eq 0 ] && echo "GlGroupsTraceGLTest: passed"
exit $((failures > 0))
