#!/usr/bin/env bash
# kavinto on a Wayland session: weston, headless, with XWayland. Started as
# a desktop starts it, with no platform chosen, the program runs through
# XWayland: its window appears there with the designed client area, takes
# keys and searches. (XWayland's emulated pointer is left alone: clicks
# through XTest bring this XWayland down.)
# Usage: wayland.sh KAVINTO KAVINTO_CATALOGUE CATALOGUE_DIR
set -u
. "$(dirname "$0")/../support/window.sh"
kavinto=$(realpath "$1") tool=$(realpath "$2") csv=$(realpath "$3")
scratch=$(mktemp -d)
export XDG_RUNTIME_DIR="$scratch/runtime" ASAN_OPTIONS=detect_leaks=0
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM DISPLAY
weston --backend=headless-backend.so --xwayland --socket=kavinto-test --width=1024 --height=768 \
    >"$scratch/weston.log" 2>&1 &
weston=$!
app=""
trap '[ -n "$app" ] && kill $app 2>/dev/null; kill $weston 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do grep -q 'xserver listening on display' "$scratch/weston.log" && break; sleep 0.05; done
display=$(grep -o 'xserver listening on display :[0-9]*' "$scratch/weston.log" | grep -o ':[0-9]*$')
[ -n "$display" ] || { echo "wayland: weston did not start with XWayland"; tail -5 "$scratch/weston.log"; exit 1; }
export WAYLAND_DISPLAY=kavinto-test DISPLAY=$display

mkdir -p "$scratch/work"
"$tool" pack --methods "$csv/methods.csv" --functions "$csv/functions.csv" --out "$scratch/work" --keep-order >/dev/null

(cd "$scratch/work" && exec "$kavinto") >"$scratch/app.log" 2>&1 &
app=$!
window=$(find_window 10 "$app")
fail() { echo "wayland: $1"; sed 's/^/    app: /' "$scratch/app.log" | head -5; exit 1; }
[ -n "$window" ] || fail "no window appeared through XWayland"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = 640x431 ] || fail "the client area is $size, not 640x431"
# Strongly red pixels where the document panel names the document found.
document_name_pixels() {
    import -window "$window" -crop 200x16+50+398 +repage "$scratch/label.png"
    convert "$scratch/label.png" -fx '(r>0.7&&g<0.35&&b<0.35)?1:0' -format '%[fx:round(mean*w*h)]' info:
}
sleep 0.5
xdotool windowactivate "$window" 2>/dev/null; sleep 0.3
xdotool key --delay 60 Down Down Tab Tab Tab Tab space; sleep 0.5  # "Mozaik", then keresés
red=$(document_name_pixels)
[ "$red" -gt 20 ] || fail "no search result shown ($red red pixels where the document name stands)"
kill -0 "$app" 2>/dev/null || fail "the program ended"
echo "wayland: the window appeared through XWayland ($size), took keys and searched"

