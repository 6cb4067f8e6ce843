#!/usr/bin/env bash
# The window through the accessibility bus: kavinto under Xvfb on a private
# D-Bus session with Qt's AT-SPI bridge on. Checked either by an AT-SPI
# client (atspi_check.py), or, with --orca, by what the Orca screen reader
# says, taken from its own debug log.
# Usage: atspi.sh [--orca] KAVINTO KAVINTO_CATALOGUE CATALOGUE_DIR
set -u
. "$(dirname "$0")/../support/window.sh"
if [ -z "${KAVINTO_ATSPI_SESSION:-}" ]; then
    exec env KAVINTO_ATSPI_SESSION=1 dbus-run-session -- bash "$0" "$@"
fi
orca=no
[ "$1" = --orca ] && { orca=yes; shift; }
kavinto=$(realpath "$1") tool=$(realpath "$2") csv=$(realpath "$3")
here=$(dirname "$(realpath "$0")")
scratch=$(mktemp -d)
app="" reader=""
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export XDG_RUNTIME_DIR="$scratch/runtime" HOME="$scratch/home"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$reader" ] && kill "$reader" 2>/dev/null
    kill "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$scratch/display")"

if [ $orca = yes ]; then
    orca -u "$scratch/orca" --debug-file="$scratch/orca.log" >"$scratch/orca.out" 2>&1 &
    reader=$!
    for _ in $(seq 200); do grep -q "SPEECH OUTPUT: 'Screen reader on." "$scratch/orca.log" 2>/dev/null && break; sleep 0.05; done
fi
mkdir -p "$scratch/work/pdf"
"$tool" pack --methods "$csv/methods.csv" --functions "$csv/functions.csv" --out "$scratch/work" --keep-order >/dev/null
(cd "$scratch/work" && exec "$kavinto") >"$scratch/app.log" 2>&1 &
app=$!
window=$(find_window 10 "$app") || { echo "atspi: the window did not appear"; cat "$scratch/app.log"; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null
[ $orca = no ] && exec timeout 120 /usr/bin/python3 "$here/atspi_check.py"

# What Orca says, from its debug log, which it writes in blocks: the keys
# are given with time to speak, Orca is stopped (it does not end on a
# TERM), and then each phrase must follow the one before (-x: as a whole
# utterance).
sleep 2
# Shift presses at the end change nothing; what Orca logs of them pushes out the rest.
# After the first search: back, a name found by typing and the arrow after
# it, the reset, a refusal twice, and a search with no hits.
for keys in "Tab" "Tab Tab Tab" "space" "shift+Tab shift+Tab shift+Tab Down Tab Tab Tab space" "Down" "Return" \
    "Tab space" "m" "Down" "Tab Tab Tab Tab Tab Tab space" "shift+Tab shift+Tab space" "space" \
    "shift+Tab shift+Tab shift+Tab Down Tab r Tab Tab space" "Tab space" "space" "Down" "Return" \
    "shift shift shift shift shift shift"; do
    # shellcheck disable=SC2086
    xdotool key --delay 400 $keys
    sleep 3
done
kill -9 "$reader"; wait "$reader" 2>/dev/null; reader=""
grep -o "SPEECH OUTPUT: '[^']*'" "$scratch/orca.log" | sed "s/^SPEECH OUTPUT: '//; s/'$//" >"$scratch/said"
failed=0 line=0
hear() {
    local what=$1 match=$2 phrase=$3 found
    found=$(tail -n +$((line + 1)) "$scratch/said" | grep -n "$match" -- "$phrase" | head -1 | cut -d: -f1)
    if [ -n "$found" ]; then echo "PASS $what"; line=$((line + found))
    else echo "FAIL $what: '$phrase' not spoken after line $line"; failed=1; fi
}
hear "the window" -F "VELOR! Tarmeni frame"
hear "the first list with its label" -F "Módszer neve: combo box"
hear "and its item, '-' as what it means" -x "nincs kiválasztva."
hear "tabbing to the next list" -F "1. funkció: combo box"
hear "tabbing to the button" -F "keresés push button"
hear "the refusal, as it appears" -F "notification Adjon meg legalább egy keresési feltételt!"
hear "a list's new item" -x "Gyakorlás"
hear "a function search: the hit count and the table" -F "Találatok száma: 2 db Keresési eredmények."
hear "and its size" -F "table with 2 rows 3 columns"
hear "and the first row" -x "1."
hear "down in the grid reads the next row" -x "2."
hear "and its document" -F ".pdf"
hear "a missing document, as Return finds it" -F "notification Hiányzik a pdf/"
hear "back on the search page" -F "Módszer neve: combo box"
hear "a name found by a letter typed" -x "Mozaik"
hear "and the arrow after it" -x "Ötletbörze"
hear "the lists reset" -F "notification Keresési feltételek törölve"
hear "a refusal" -F "notification Adjon meg legalább egy keresési feltételt!"
hear "and the same refusal again" -F "notification Adjon meg legalább egy keresési feltételt!"
hear "a search with no hits" -F "notification Találatok száma: 0 db"
hear "an opened list" -F "List with 5 items"
hear "a choice in it" -F "Módszer neve: combo box"
chosen=$(tail -n +$((line + 1)) "$scratch/said" | grep -c '^Vita\.\?$')
if [ "$chosen" = 1 ]; then echo "PASS the choice's value, once"
else echo "FAIL the choice's value was said $chosen times"; failed=1; fi
[ $failed = 0 ] || { echo "    Orca said:"; sed 's/^/      /' "$scratch/said"; }
exit $failed
