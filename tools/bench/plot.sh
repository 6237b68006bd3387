#!/usr/bin/env bash
# Plots one run of a cathedral-bench CSV (--csv FILE) as a PNG: the GPU time of each pass
# stacked along the tour, with the frame's GPU and wall-clock times as lines over them.
# Usage: tools/bench/plot.sh FRAMES.csv OUT.png [TITLE] [WIDTHxHEIGHT[,static]]
# The run defaults to the file's first; a sweep's CSV holds several (static: cube maps not
# updated every frame). Needs gnuplot (Debian gnuplot-nox).
set -euo pipefail
if [ $# -lt 2 ]; then
    sed -n '2,6s/^# \{0,1\}//p' "$0"
    exit 2
fi
csv="$1"
png="$2"
title="${3:-cathedral-bench}"
run="${4:-}"

if [ ! -r "$csv" ]; then
    echo "plot.sh: cannot read $csv"
    exit 1
fi
if ! head -n 1 "$csv" | grep -q '^width,height,updateShadowMaps,frame,tourTime,shadowMaps,'; then
    echo "plot.sh: $csv is not a cathedral-bench CSV"
    exit 1
fi

if [ -z "$run" ]; then
    run=$(awk -F, 'NR == 2 { print $1 "x" $2 ($3 == 0 ? ",static" : "") }' "$csv")
fi
width="${run%%x*}"
rest="${run#*x}"
height="${rest%%,*}"
update=1
case "$run" in *,static) update=0 ;; esac

picture_width=1200
picture_height=600
data=$(mktemp)
trap 'rm -f "$data"' EXIT
awk -F, -v w="$width" -v h="$height" -v u="$update" 'NR > 1 && $1 == w && $2 == h && $3 == u' \
    "$csv" > "$data"
if [ ! -s "$data" ]; then
    echo "plot.sh: $csv holds no frames of the run $run"
    exit 1
fi

# Columns: 5 tour time, 6 onwards the passes in frame order (empty where one did not run), then
# frameGpu and frameWall; found by name, so a report with more passes plots them all.
column() { head -n 1 "$csv" | tr ',' '\n' | grep -n -x "$1" | cut -d: -f1; }
gpu=$(column frameGpu)
wall=$(column frameWall)
last=$((gpu - 1))
aa=""
if [ -n "$(column antiAliasing)" ]; then
    aa="\"$data\" using 5:(upTo($last)) with filledcurves x1 lc rgb \"#a6761d\" title \"anti-aliasing\", "
fi
gnuplot <<GNUPLOT
set terminal pngcairo size $picture_width,$picture_height font "sans,10"
set output "$png"
set datafile separator ","
set datafile missing ""
set title "$title\n$run, GPU time per pass stacked along the tour"
set xlabel "tour time (s)"
set ylabel "ms"
set key outside right top
set grid ytics
set style fill solid 0.85 noborder
ms(c) = valid(c) ? column(c) : 0
upTo(n) = n < 6 ? 0 : ms(n) + upTo(n - 1)
plot $aa"$data" using 5:(upTo(11)) with filledcurves x1 lc rgb "#e6ab02" title "bloom", \
     "" using 5:(upTo(10)) with filledcurves x1 lc rgb "#e7298a" title "forward", \
     "" using 5:(upTo(9)) with filledcurves x1 lc rgb "#d95f02" title "lighting", \
     "" using 5:(upTo(8)) with filledcurves x1 lc rgb "#7570b3" title "SSAO", \
     "" using 5:(upTo(7)) with filledcurves x1 lc rgb "#1b9e77" title "geometry", \
     "" using 5:(upTo(6)) with filledcurves x1 lc rgb "#66a61e" title "shadow maps", \
     "" using 5:(ms($gpu)) with lines lw 2 lc rgb "black" title "frame (GPU)", \
     "" using 5:(ms($wall)) with lines lw 1 dt 2 lc rgb "#444444" title "frame (wall)"
GNUPLOT
echo "Wrote $png (${picture_width}x$picture_height picture of the $run run)"
