#!/usr/bin/env bash
# The window through the accessibility bus: kavinto under Xvfb on a private
# D-Bus session with Qt's AT-SPI bridge on, checked by atspi_check.py.
# Usage: atspi.sh KAVINTO KAVINTO_CATALOGUE CATALOGUE_DIR
set -u
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${KAVINTO_ATSPI_SESSION:-}" ]; then
    exec env KAVINTO_ATSPI_SESSION=1 dbus-run-session -- bash "$0" "$@"
fi
kavinto=$(realpath "$1") tool=$(realpath "$2") csv=$(realpath "$3")
here=$(dirname "$(realpath "$0")")
scratch=$(mktemp -d)
app=""
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export XDG_RUNTIME_DIR="$scratch/runtime" && mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
cleanup() { [ -n "$app" ] && kill "$app" 2>/dev/null; kill "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$scratch/display")"

mkdir -p "$scratch/work/pdf"
"$tool" pack --methods "$csv/methods.csv" --functions "$csv/functions.csv" --out "$scratch/work" >/dev/null
(cd "$scratch/work" && exec "$kavinto") >"$scratch/app.log" 2>&1 &
app=$!
for _ in $(seq 200); do
    xdotool search --onlyvisible --name '^VELOR! Tarmeni$' >/dev/null 2>&1 && break
    sleep 0.05
done
window=$(xdotool search --onlyvisible --name '^VELOR! Tarmeni$' | head -1)
[ -n "$window" ] || { echo "atspi: the window did not appear"; cat "$scratch/app.log"; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null
timeout 120 /usr/bin/python3 "$here/atspi_check.py"
