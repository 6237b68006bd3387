#!/usr/bin/env bash
# Packs the benchmark into one folder that runs on a bare Linux x86-64 machine with only a GPU
# driver (no X server, none of our Debian packages): the bench with Shader/ and Assets/ beside
# it, every shared library it loads except the C library's own (libc, libm, libdl, libpthread,
# librt), the dynamic loader and the GPU driver's libraries, which the vendor-neutral libEGL
# (bundled) loads from the machine; the cathedral-bench wrapper, which checks the libraries and
# points the loader at them; and run.sh (gpu-run.sh), the sweep.
# Usage: tools/bench/gpu-bundle.sh OUT [build dir]
# Then copy OUT to the machine and run OUT/run.sh DEST there. Fails when the folder would not
# fit in 60 MiB compressed.
set -euo pipefail
if [ $# -lt 1 ]; then
    sed -n '8,10s/^# \{0,1\}//p' "$0"
    exit 2
fi
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${2:-$root/build}" && pwd)"
bench="$build/bin/cathedral-bench"
limit_bytes=$((60 * 1024 * 1024))
if [ ! -x "$bench" ]; then
    echo "gpu-bundle: no $bench: build the cathedral-bench target first"
    exit 1
fi
rm -rf "$1"
mkdir -p "$1/bin" "$1/lib"
out="$(cd "$1" && pwd)"

# Left to the machine: the C library and the loader must be the machine's own (they are one
# release with its kernel interface), and the vDSO is the kernel's.
is_system_library() {
    case "$1" in
    linux-vdso.so.* | ld-linux-x86-64.so.* | libc.so.* | libm.so.* | libdl.so.* | \
        libpthread.so.* | librt.so.*) return 0 ;;
    *) return 1 ;;
    esac
}

cp "$bench" "$out/bin/"
cp -r "$build/bin/Shader" "$build/bin/Assets" "$out/bin/"
[ -f "$build/bin/options.ini" ] && cp "$build/bin/options.ini" "$out/bin/"

# Every library the loader resolves for the bench, by the name it asks for.
: > "$out/lib/MANIFEST"
while read -r name arrow path _; do
    [ "$arrow" = "=>" ] || continue
    if is_system_library "$name"; then
        continue
    fi
    if [ ! -f "$path" ]; then
        echo "gpu-bundle: the bench needs $name, which this machine does not resolve"
        exit 1
    fi
    cp -L "$path" "$out/lib/$name"
    echo "$name" >> "$out/lib/MANIFEST"
done < <(env -u LD_PRELOAD ldd "$bench") # the libraries the bench needs, not this shell's preloads

cp "$root/tools/bench/gpu-run.sh" "$out/run.sh"
cat > "$out/cathedral-bench" <<'WRAPPER'
#!/bin/sh
# cathedral-bench from this bundle: checks that every library listed in lib/MANIFEST is here,
# puts lib/ first on the loader's path and runs bin/cathedral-bench. Without a display it
# renders headless through EGL; when no EGL vendor file is installed where libEGL looks, the
# NVIDIA driver's usual one is used.
here="$(cd "$(dirname "$0")" && pwd)"
for file in bin/cathedral-bench bin/Shader bin/Assets lib/MANIFEST; do
    if [ ! -e "$here/$file" ]; then
        echo "cathedral-bench bundle: missing $file in $here (copy the whole folder)" >&2
        exit 1
    fi
done
while read -r library; do
    if [ ! -e "$here/lib/$library" ]; then
        echo "cathedral-bench bundle: missing lib/$library in $here (copy the whole folder)" >&2
        exit 1
    fi
done < "$here/lib/MANIFEST"
nvidia_vendor=/usr/local/nvidia/share/glvnd/egl_vendor.d/10_nvidia.json
if [ -z "${__EGL_VENDOR_LIBRARY_FILENAMES:-}" ] && [ -z "${__EGL_VENDOR_LIBRARY_DIRS:-}" ] &&
    ! ls /usr/share/glvnd/egl_vendor.d/*.json /etc/glvnd/egl_vendor.d/*.json > /dev/null 2>&1 &&
    [ -f "$nvidia_vendor" ]; then
    export __EGL_VENDOR_LIBRARY_FILENAMES="$nvidia_vendor"
fi
LD_LIBRARY_PATH="$here/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
export LD_LIBRARY_PATH
exec "$here/bin/cathedral-bench" "$@"
WRAPPER
chmod +x "$out/cathedral-bench" "$out/run.sh"

compressed=$(tar -C "$(dirname "$out")" -czf - "$(basename "$out")" | wc -c)
echo "gpu-bundle: $out: $(wc -l < "$out/lib/MANIFEST") libraries, $(du -sh "$out" | cut -f1)" \
    "on disk, $((compressed / 1024 / 1024)) MiB compressed"
if [ "$compressed" -ge "$limit_bytes" ]; then
    echo "gpu-bundle: $compressed bytes compressed is over the 60 MiB limit"
    exit 1
fi
