#!/usr/bin/env bash
# Checks every GLSL file with glslangValidator, the reference front end, so a construct one
# driver accepts but the language forbids fails the suite: each file compiled on its own, then
# every program's stages linked together as the shader registry lists them.
# Usage: validate-glsl.sh SHADER_DIR REGISTRY_SOURCE [NAME=VALUE ...]
# The NAME=VALUE defines are the ones the registry puts after each file's #version line.
set -uo pipefail
shaders="$1"
registry="$2"
shift 2
defines=()
for define in "$@"; do
    defines+=("-D$define")
done

if ! command -v glslangValidator > /dev/null; then
    echo "glslangValidator not found: install glslang-tools (scripts/install-deps.sh)"
    exit 1
fi

failed=0
check() { # what, then the files
    local what="$1"
    shift
    local output
    if ! output=$(cd "$shaders" && glslangValidator -l "${defines[@]}" "$@" 2>&1); then
        echo "FAILED $what:"
        echo "$output"
        failed=1
    fi
}

# The registry's table rows: {"key", "Shader/a.vert", "Shader/a.geom" or "", "Shader/a.frag", ...
programs=$(tr -d '\n' < "$registry" |
    grep -oE '\{"[A-Za-z_]+", *"Shader/[^"]+", *"[^"]*", *"Shader/[^"]+"' |
    sed -E 's/[{",]/ /g; s#Shader/##g; s/ +/ /g; s/^ //')
if [ -z "$programs" ]; then
    echo "no shader programs found in $registry"
    exit 1
fi

linked=()
count=0
while read -r key rest; do
    read -r -a stages <<< "$rest"
    check "program $key (${stages[*]})" "${stages[@]}"
    linked+=("${stages[@]}")
    count=$((count + 1))
done <<< "$programs"

files=0
for path in "$shaders"/*.vert "$shaders"/*.geom "$shaders"/*.frag; do
    [ -e "$path" ] || continue
    file=$(basename "$path")
    check "$file" "$file"
    files=$((files + 1))
    if [[ " ${linked[*]} " != *" $file "* ]]; then
        echo "FAILED $file: no program of $registry uses it"
        failed=1
    fi
done

echo "$files GLSL files compiled, $count programs linked"
exit $failed
