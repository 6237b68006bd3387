# Sourced by the picture scripts (readme-pictures.sh, quality-pictures.sh): one tour frame as PNG.
# capture_frame BIN OUT.png SIZE TIME [switch options...]: the frame at TIME seconds of the tour,
# rendered at SIZE by BIN/cathedral-bench (BIN: a build's bin directory, with Shader/ and Assets/
# beside the tool), saved as OUT.png. Without a display the run goes through xvfb-run.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/display.sh"

capture_frame() {
    local bin="$1" out="$2" size="$3" time="$4"
    shift 4
    local dir
    dir="$(mktemp -d)"
    local run=(./cathedral-bench --size "$size" --frames 1 --from "$time" --capture "$time"
               --capture-dir "$dir" --gpu-timer 0 --no-progress "$@")
    # The program's console lines (standard error) are shown only when the run fails.
    (cd "$bin" && on_display "${run[@]}" > /dev/null 2> "$dir/log") || { cat "$dir/log" >&2; return 1; }
    mv "$dir"/capture_*.png "$out"
    rm -r "$dir"
}
