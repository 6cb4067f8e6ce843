#!/usr/bin/env bash
# End-to-end tests against the real window: kavinto under Xvfb, driven from
# outside with xdotool as a person would, documents handed to a recording
# xdg-open. Every test runs on the bare X server, and under openbox, fluxbox
# and xfwm4, reparenting window managers, where the frame tests run too.
# Usage: e2e.sh KAVINTO KAVINTO_CATALOGUE X11_MESSAGE CATALOGUE_DIR OUT_DIR
# E2E_UNDER_WM=PATTERN picks the tests run under the window managers.
set -u
. "$(dirname "$0")/../support/window.sh"
kavinto=$(realpath "$1") tool=$(realpath "$2") x11message=$(realpath "$3") csv=$(realpath "$4")
mkdir -p "$5" && out=$(realpath "$5")
scratch=$(mktemp -d)
passed=0 failed=0 app=""
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# A display of our own, chosen by the server; ended with everything we started.
# The server never resets (it would refuse connections while it does, each
# time its last client leaves), and a client of ours stays connected.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
wm="" keeper=""
# A window manager may linger over a graceful end: it ends at once, with its process group.
stop_wm() { [ -n "$wm" ] && kill -KILL -- -"$wm" 2>/dev/null; wait "$wm" 2>/dev/null; wm=""; }
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    stop_wm; kill $keeper "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$scratch/display")"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo >/dev/null 2>&1 || { echo "e2e: Xvfb did not start"; cat "$scratch/xvfb.log"; exit 1; }
xprop -root -spy >/dev/null 2>&1 &
keeper=$!

# The documents the program hands over land in $handed, one line each;
# while $scratch/fail exists, the launcher fails as xdg-open does when no
# program can open the file (status 4).
mkdir -p "$scratch/bin"
cat >"$scratch/bin/xdg-open" <<EOS
#!/bin/sh
printf '%s\n' "\$*" >>"$scratch/handed"
[ -f "$scratch/fail" ] && exit 4
exit 0
EOS
chmod +x "$scratch/bin/xdg-open"
export PATH="$scratch/bin:$PATH"

# A working folder with the test catalogue and the documents it names but one.
workdir() {
    local dir="$scratch/work-$1"
    mkdir -p "$dir/pdf"
    "$tool" pack --methods "$csv/methods.csv" --functions "$csv/functions.csv" --out "$dir" --keep-order >/dev/null
    for f in vita mozaik otletborze; do printf '%%PDF-1.4\n' >"$dir/pdf/$f.pdf"; done
    echo "$dir"
}

window=""  # the main window, once shown; X, Y its client area's corner
start() {
    : >"$scratch/handed"
    (cd "$1" && exec "$kavinto") >"$scratch/app.log" 2>&1 &
    app=$!
    window=$(find_window 10 "$app") || return 1
    settle  # a window manager may still be placing it; the first activation loads the catalogue
}
# Where the client area stands: xwininfo, not xdotool, which counts a window manager's frame twice.
locate() {
    local info; info=$(xwininfo -id "$window")
    X=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info"); Y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
}
# Waits, at least 0.5 s and at most 3 s, until a window manager's frame is
# known and the client area then stood still for 0.5 s.
settle() {
    local last="" steady=0
    for _ in $(seq 30); do
        if [ -n "$wm" ] && ! xprop -id "$window" _NET_FRAME_EXTENTS | grep -q =; then sleep 0.1; continue; fi
        locate
        if [ "$X,$Y" = "$last" ]; then steady=$((steady + 1)); else steady=0 last="$X,$Y"; fi
        [ "$steady" -ge 5 ] && break
        sleep 0.1
    done
}
click() { locate; xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
shot() { import -window root "$1"; }
# Strongly red pixels in a rectangle of the window's client area.
red_pixels() {
    import -window root -crop "$3x$4+$((X + $1))+$((Y + $2))" +repage "$scratch/crop.png"
    convert "$scratch/crop.png" -fx '(r>0.7&&g<0.35&&b<0.35)?1:0' -format '%[fx:round(mean*w*h)]' info:
}
# Waits up to 5 s for the program to end and sets $code to its exit code.
wait_exit() {
    code=running
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$app" 2>/dev/null && return
    wait "$app"; code=$?; app=""
}
stop() { [ -n "$app" ] && kill "$app" 2>/dev/null; wait "$app" 2>/dev/null; app=""; }
expect() { [ "$2" = "$3" ] || { echo "    $1: expected '$3', got '$2'"; return 1; }; }
# Expects that the documents handed over so far are, in order, the named ones
# of the working folder $dir. Usage: expect_handed WHAT NAME...
expect_handed() {
    local what=$1 wanted="" name; shift
    for name; do wanted+="file://$dir/pdf/$name.pdf"$'\n'; done
    expect "$what" "$(cat "$scratch/handed")" "${wanted%$'\n'}"
}

# Client positions of the controls, from the designed layout.
SEARCH="253 272"; EXIT="576 408"; BACK="45 112"; PANEL="308 404"
grid_row() { echo "135 $((136 + 1 + 21 * $1 + 10))"; }

# The order in which windows of a size were mapped and unmapped, from xev's
# record of the root window (its own children: bare X only): lines
# "map 600x400", "unmap 600x400", ...
map_events() {
    awk '
        /^CreateNotify/ { mode = "create"; next }
        /^MapNotify/ { mode = "map"; next }
        /^UnmapNotify/ { mode = ($0 ~ /synthetic YES/) ? "" : "unmap"; next }
        /^[A-Z]/ { mode = ""; next }
        mode == "create" { gsub(",", ""); size[$4] = $7 "x" $9; mode = "" }
        (mode == "map" || mode == "unmap") && /window/ { gsub(",", ""); print mode, size[$4]; mode = "" }
    ' "$1"
}

bare_test_client_centred() {
    start "$(workdir centred)" || return 1
    # (1024 - 640) / 2 = 192, (768 - 431) / 2 = 168.
    expect "the client's corner" "$X,$Y" "192,168" || return 1
    stop
}

bare_test_splash_comes_and_goes() {
    xev -root -event substructure >"$scratch/xev" 2>&1 &
    local xev=$!
    sleep 0.3
    start "$(workdir splash)" || { kill "$xev"; return 1; }
    kill "$xev"; wait "$xev" 2>/dev/null
    map_events "$scratch/xev" >"$scratch/maps"
    local shown hidden main
    shown=$(grep -n -m1 '^map 600x400$' "$scratch/maps" | cut -d: -f1)
    hidden=$(grep -n -m1 '^unmap 600x400$' "$scratch/maps" | cut -d: -f1)
    main=$(grep -n -m1 '^map 640x431$' "$scratch/maps" | cut -d: -f1)
    expect "splash, then gone, then the main window" \
        "$([ -n "$shown" ] && [ -n "$hidden" ] && [ -n "$main" ] && [ "$shown" -lt "$hidden" ] && [ "$hidden" -lt "$main" ] && echo yes)" \
        yes || { sed 's/^/    seen: /' "$scratch/maps"; return 1; }
    stop
}

test_lookup_by_keyboard_opens_its_document() {
    local dir; dir=$(workdir lookup)
    start "$dir" || return 1
    keys Down Down Tab Tab Tab Tab space  # "Mozaik", then to keresés
    shot "$out/e2e-results-lookup.png"
    click $PANEL
    expect_handed "document handed over" mozaik || return 1
    stop
}

test_two_functions_second_row() {
    local dir; dir=$(workdir functions)
    start "$dir" || return 1
    shot "$out/e2e-search-page.png"
    keys Tab Down Tab Down Down  # 1. Gyakorlás, 2. Motiváció
    click $SEARCH
    shot "$out/e2e-results-page.png"
    click $(grid_row 2)
    click $PANEL
    expect_handed "row 2's document" vita || return 1
    # Back keeps the choices: the same search again gives the same rows.
    click $BACK
    click $SEARCH
    click $(grid_row 1)
    click $PANEL
    expect_handed "row 1 after back" vita mozaik || return 1
    stop
}

test_grid_keys_open_documents() {
    local dir; dir=$(workdir gridkeys)
    start "$dir" || return 1
    xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (48 x 48)' || { echo "    no 48 x 48 icon"; return 1; }
    keys Tab Down Tab Down Down Tab Tab space  # 1. Gyakorlás, 2. Motiváció, keresés
    keys End Home Down Return
    expect_handed "row 2's document by Return" vita || return 1
    keys ctrl+Home space
    expect_handed "row 1's document by Space" vita mozaik || return 1
    stop
}

test_refusal_shown_then_hidden() {
    start "$(workdir refusal)" || return 1
    click $SEARCH
    local shown; shown=$(red_pixels 168 310 300 22)
    [ "$shown" -gt 50 ] || { echo "    message not shown ($shown red pixels)"; return 1; }
    keys shift+Tab Down  # back to the third function list, and change it
    expect "message hidden" "$(red_pixels 168 310 300 22)" 0 || return 1
    stop
}

test_missing_document_message() {
    start "$(workdir missing)" || return 1
    keys Down Down Down Down Tab Tab Tab Tab space  # "Hiányzó leírás"
    local before; before=$(red_pixels 50 396 560 20)
    click $PANEL
    local after; after=$(red_pixels 50 396 560 20)
    [ "$after" -gt $((before * 2)) ] || { echo "    no message ($before -> $after red pixels)"; return 1; }
    expect_handed "nothing handed over" || return 1
    stop
}

test_failed_hand_over_message() {
    local dir; dir=$(workdir failing)
    start "$dir" || return 1
    touch "$scratch/fail"
    keys Down Down Tab Tab Tab Tab space  # "Mozaik"
    local before; before=$(red_pixels 50 396 560 20)
    click $PANEL
    local after=0
    for _ in $(seq 25); do  # the launcher's status comes when it ends
        after=$(red_pixels 50 396 560 20)
        [ "$after" -gt $((before * 2)) ] && break
        sleep 0.2
    done
    rm -f "$scratch/fail"
    expect_handed "document handed over" mozaik || return 1
    [ "$after" -gt $((before * 2)) ] || { echo "    no message ($before -> $after red pixels)"; return 1; }
    stop
}

test_exit_button_ends_with_0() {
    start "$(workdir exit)" || return 1
    click $EXIT
    wait_exit
    expect "exit code" "$code" 0
}

test_close_box_ends_with_0() {
    start "$(workdir close)" || return 1
    "$x11message" "$window" close
    wait_exit
    expect "exit code" "$code" 0
}

test_space_after_a_search_does_not_search_again() {
    start "$(workdir space)" || return 1
    keys Down Down Down Down Tab Tab Tab Tab space  # "Hiányzó leírás", whose document is missing
    click $PANEL
    local message; message=$(red_pixels 50 396 560 20)
    keys space  # the focus left the hidden "keresés": nothing happens
    expect "the missing-file message stays" "$(red_pixels 50 396 560 20)" "$message" || return 1
    stop
}

# The frame the window manager put around the window, and where it stands.
frame() {
    local extents; extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | grep -o '[0-9, ]*$' | tr -d ' ')
    IFS=, read -r left right top bottom <<<"$extents"
    local info; info=$(xwininfo -id "$window")
    local x y w h
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info"); y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    w=$(awk '/Width:/ {print $2}' <<<"$info"); h=$(awk '/Height:/ {print $2}' <<<"$info")
    echo "$((w + left + right))x$((h + top + bottom)) at $((x - left)),$((y - top))"
}
# Waits up to 3 s for the frame (its size with "size") to become what is
# expected: a desktop may first show it as it wants, and the program answers.
frame_becomes() {
    local now
    for _ in $(seq 30); do
        now=$(frame)
        [ "${3:-}" = size ] && now=${now%% *}
        [ "$now" = "$2" ] && return 0
        sleep 0.1
    done
    expect "$1" "$now" "$2"
}

wm_test_frame_holds_646_by_460_centred() {
    start "$(workdir frame)" || return 1
    # (1024 - 646) / 2 = 189, (768 - 460) / 2 = 154.
    frame_becomes "the first map" "646x460 at 189,154" || return 1
    locate
    local top=$((Y - 10))
    xdotool mousemove $((X + 200)) $top mousedown 1; sleep 0.2
    xdotool mousemove $((X + 260)) $((top + 40)); sleep 0.2; xdotool mouseup 1; sleep 0.3
    expect "after a drag" "$(frame | cut -d' ' -f1)" 646x460 || return 1
    "$x11message" "$window" maximize; sleep 0.5
    frame_becomes "after maximising" 646x460 size || return 1
    stop
}

test_missing_catalogue_leaves_search_inert() {
    local dir; dir=$(workdir inert)
    rm "$dir/data/kavinto_funkciok.cds"
    start "$dir" || return 1
    local message; message=$(red_pixels 168 310 300 22)
    [ "$message" -gt 50 ] || { echo "    missing-file message not shown"; return 1; }
    import -window "$window" "$scratch/before.png"  # the window: a desktop's clock ticks
    click $SEARCH
    click $SEARCH
    import -window "$window" "$scratch/after.png"
    expect "window unchanged" "$(compare -metric AE "$scratch/before.png" "$scratch/after.png" null: 2>&1)" 0 || return 1
    expect "still running" "$(kill -0 "$app" 2>/dev/null && echo yes)" yes || return 1
    stop
}

run_tests() {
    local t
    for t in $(declare -F | awk '{print $3}' | grep "$1"); do
        if "$t"; then
            echo "PASS $2$t"; passed=$((passed + 1))
        else
            echo "FAIL $2$t"; failed=$((failed + 1)); grep -v "^$" "$scratch/app.log" | head -3 | sed 's/^/    app: /'
            tail -5 "$scratch/xvfb.log" | sed 's/^/    Xvfb: /'
        fi
        stop
    done
}

# Bare: no frame; the client keeps the designed 640 x 431.
run_tests '^test_\|^bare_test_' ""
# Under reparenting window managers, each with a frame of its own.
under() {
    local name=$1; shift
    mkdir -p "$scratch/home-$name"  # where it keeps its settings
    HOME="$scratch/home-$name" setsid "$@" >"$scratch/$name.log" 2>&1 &
    wm=$!  # its own process group: a D-Bus session goes with it
    for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.05; done
    run_tests "${E2E_UNDER_WM:-^test_\|^wm_test_}" "$name: "
    stop_wm
    xprop -root -remove _NET_SUPPORTING_WM_CHECK
}
under openbox openbox --sm-disable
under fluxbox fluxbox
under xfwm4 dbus-run-session -- xfwm4 --compositor=off --sm-client-disable  # it needs its settings service
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
