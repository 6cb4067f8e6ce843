#!/usr/bin/env bash
# The whole program under Xvfb, as a user meets it: the time from start until
# the lists are filled, from a search click until its rows show (the first
# click and a repeated one), and for a page of scrolling. Each figure is the
# median of RUNS starts. Usage: program_bench.sh KAVINTO X11_WATCH CATALOGUE_DIR [RUNS]
set -euo pipefail
kavinto=$(realpath "$1") watch=$(realpath "$2") dir=$(realpath "$3") runs=${4:-5}
scratch=$(mktemp -d)
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
app=""
trap '[ -n "$app" ] && kill $app 2>/dev/null; kill $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$scratch/display")"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done

name='VELOR! Tarmeni'
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
# Window places: the method list's text, row 2 of the grid's name column (row 1 is highlighted).
list=(220 163 100 14) row2=(62 182 38 14)

: >"$scratch/lists" ; : >"$scratch/first" ; : >"$scratch/again" ; : >"$scratch/scroll"
for _ in $(seq "$runs"); do
    t0=$(date +%s%N)
    (cd "$dir" && exec "$kavinto") >/dev/null 2>&1 &
    app=$!
    "$watch" "$name" "${list[@]}" text "$t0" >>"$scratch/lists"
    window=$(xdotool search --onlyvisible --name "^$name\$" | head -1)
    # The first function in the first function list, then "keresés".
    xdotool mousemove --window "$window" 300 194 click 1; sleep 0.2; xdotool key Escape; sleep 0.2
    xdotool key Down; sleep 0.3
    "$watch" "$name" "${row2[@]}" text click 253 272 >>"$scratch/first"
    # Back, and the same search again.
    xdotool mousemove --window "$window" 45 112 click 1; sleep 0.3
    "$watch" "$name" "${row2[@]}" text click 253 272 >>"$scratch/again"
    # A page down in the grid: row 2's place shows another method.
    xdotool mousemove --window "$window" 300 200 click 1; sleep 0.3
    "$watch" "$name" "${row2[@]}" change key Next >>"$scratch/scroll"
    kill "$app"; wait "$app" 2>/dev/null || true; app=""
done
printf 'start until the lists are filled: %s ms\n' "$(median <"$scratch/lists")"
printf 'search click until its rows show, first: %s ms\n' "$(median <"$scratch/first")"
printf 'search click until its rows show, repeated: %s ms\n' "$(median <"$scratch/again")"
printf 'a page down in the grid: %s ms\n' "$(median <"$scratch/scroll")"
