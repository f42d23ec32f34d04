#!/bin/bash
# Regenerates the program's icons, tool bar strip and link cursor next to
# this script.  The drawing itself is in make-art.py (Python 3, standard
# library only); the generated files are kept in the repository, so a build
# never needs to run this.
#
#   make-art.sh                  redraw main.ico, small.ico, group_*.ico,
#                                sort_*.ico, toolbar.bmp and hand.cur
#   make-art.sh --sheet FILE     also write FILE, a PNG contact sheet of
#                                every image at 8x (needs ImageMagick)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
python3 "$here/make-art.py" "$here"

[ "${1:-}" = --sheet ] || exit 0
sheet=${2:?"usage: $0 --sheet FILE"}

# The real ImageMagick, not a wrapper that may sit earlier in PATH.
export PATH=/usr/bin:$PATH
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

n=0
tile() {  # tile SOURCE LABEL: one frame at 8x on a light checker board
    local src=$1 label=$2 w h
    w=$(identify -format '%w' "$src")
    h=$(identify -format '%h' "$src")
    n=$((n + 1))
    convert -size "$((w * 8))x$((h * 8))" pattern:checkerboard \
        -fill '#e4ecf4' -opaque '#999999' -fill '#f8fbff' -opaque '#666666' \
        \( "$src" -filter point -resize 800% \) -compose over -composite \
        -background '#f4f4f4' -gravity center -extent 400x400 \
        "$tmp/$(printf %03d $n).png"
    labels+=("$label")
}

labels=()
for f in main.ico small.ico group_registry.ico group_all.ico group_startup.ico \
         group_winini.ico group_folder.ico sort_desc.ico sort_asc.ico hand.cur; do
    count=$(identify "$here/$f" | wc -l)
    for ((i = 0; i < count; i++)); do
        info=$(identify -format '%wx%h' "$here/${f}[$i]")
        tile "$here/${f}[$i]" "$f [$i] $info"
    done
done

args=()
for ((i = 0; i < ${#labels[@]}; i++)); do
    args+=(-label "${labels[$i]}" "$tmp/$(printf %03d $((i + 1))).png")
done
montage -font "$font" -pointsize 14 "${args[@]}" -tile 5x -geometry +8+8 \
    -background '#f4f4f4' "$tmp/icons.png"
convert "$here/toolbar.bmp" -filter point -resize 800% "$tmp/strip.png"
convert "$tmp/icons.png" -background '#f4f4f4' -gravity center \
    \( -font "$font" -pointsize 16 label:'toolbar.bmp (8x)' \) "$tmp/strip.png" \
    -append +repage "$sheet"
echo "contact sheet: $sheet"
