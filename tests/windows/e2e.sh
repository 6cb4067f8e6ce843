#!/usr/bin/env bash
# End-to-end tests of the Windows build under Wine, in the Wine prefix and on
# the X display the caller chose: the installer runs silently, the installed
# program starts from its Start-menu shortcut, is driven with xdotool (a search
# by keyboard, a click on the document panel, handed to a recording handler
# registered for PDF files, the exit button), the uninstaller removes it all;
# then the Windows catalogue tool against the Linux one.
# Usage: e2e.sh BUILD_WINDOWS_DIR LINUX_KAVINTO_CATALOGUE SAMPLE_CSV_DIR
# (the sample catalogue: its rows are named below)
set -u
. "$(dirname "$0")/../support/window.sh"
build=$(realpath "$1") linux_tool=$(realpath "$2") csv=$(realpath "$3")
: "${WINEPREFIX:?a Wine prefix}" "${DISPLAY:?an X display}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8  # Wine takes the arguments' bytes in the locale's encoding
version=$(sed -n 's/^project(kavinto VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
scratch=$(mktemp -d)
passed=0 failed=0 app=""
trap 'stop; rm -rf "$scratch"' EXIT

user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')
appdata="$WINEPREFIX/drive_c/users/$user/AppData"
# A folder with accents in its name, as a Hungarian school's would be.
install_dir='C:\Tanári gép\Katalógus Éva\kavinto'
installed="$WINEPREFIX/drive_c/Tanári gép/Katalógus Éva/kavinto"
shortcut="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\VELOR! Tarmeni.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\kavinto'

# The documents the program hands to the shell land in $handed, one line
# each, written by a viewer registered for PDF files.
handed="$scratch/handed.txt"
: >"$handed"
x86_64-w64-mingw32-gcc-posix -municode -O2 -o "$scratch/record-open.exe" "$(dirname "$0")/record-open.c" ||
    { echo "e2e-windows: the recording viewer does not build"; exit 1; }
windows_path() { wine winepath -w "$1" 2>/dev/null | tr -d '\r'; }
wine reg add 'HKCR\.pdf' /ve /d kavinto.test.pdf /f >/dev/null 2>&1
wine reg add 'HKCR\kavinto.test.pdf\shell\open\command' /ve \
    /d "\"$(windows_path "$scratch/record-open.exe")\" \"$(windows_path "$handed")\" \"%1\"" /f >/dev/null 2>&1

expect() { [ "$2" = "$3" ] || { echo "    $1: expected '$3', got '$2'"; return 1; }; }
stop() {
    [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
    app=""
    pkill -f 'kavinto.kavinto\.exe' 2>/dev/null || true
}

window="" X=0 Y=0
# Starts the program, as the Start menu does (shortcut) or as its shortcut
# says (direct: kavinto.exe in the sample folder, a child whose status counts),
# and waits for its main window.
start_program() {
    : >"$handed"
    if [ "$1" = shortcut ]; then
        wine start "$shortcut" >"$scratch/app.log" 2>&1
    else
        # As Wine on a Wayland desktop passes it on: Windows' own platform all the same.
        (cd "$installed/sample" && WAYLAND_DISPLAY=wayland-0 exec wine "$installed/kavinto.exe") \
            >"$scratch/app.log" 2>&1 &
        app=$!
    fi
    window=$(find_window 30) || { echo "    no main window"; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
    sleep 1  # the first activation loads the catalogue
}
running() { pgrep -f 'kavinto.kavinto\.exe' >/dev/null; }
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.5; }
keys() { xdotool key --delay 80 "$@"; sleep 0.5; }

# Client positions of the controls, from the designed layout.
EXIT="576 408" PANEL="308 404" BACK="45 112"

test_install() {
    # /D= must stand unquoted at the end of the command line: cmd passes it as it is.
    local setup; setup=$(windows_path "$build/kavinto-setup-$version.exe")
    wine cmd /c "$setup /S /D=$install_dir" >/dev/null 2>&1 || { echo "    the installer failed"; return 1; }
    for _ in $(seq 100); do [ -f "$installed/uninstall.exe" ] && break; sleep 0.1; done
    local f
    for f in kavinto.exe kavinto-catalogue.exe uninstall.exe sample/data/kavinto_modszerek.cds \
             sample/data/kavinto_funkciok.cds sample/pdf/otletborze.pdf; do
        [ -f "$installed/$f" ] || { echo "    not installed: $f"; return 1; }
    done
    [ -f "$appdata/Roaming/Microsoft/Windows/Start Menu/Programs/VELOR! Tarmeni.lnk" ] ||
        { echo "    no Start-menu shortcut"; return 1; }
    wine reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 || { echo "    not under Add/Remove Programs"; return 1; }
}

test_shortcut_starts_it_in_the_sample_folder() {
    start_program shortcut || return 1
    import -window root "$build/e2e-windows-search-page.png" 2>/dev/null
    # The first function by name is "Alkalmazás"; the first of its methods by name, "Esettanulmány".
    keys Tab Down Tab Tab Tab space
    import -window root "$build/e2e-windows-results-page.png" 2>/dev/null
    click $PANEL
    local got; got=$(tr -d '\r' <"$handed")
    case "$got" in
        *'\Katalógus Éva\kavinto\sample\pdf\esettanulmany.pdf') ;;
        *) echo "    handed over: '$got', expected ...\\sample\\pdf\\esettanulmany.pdf"; return 1 ;;
    esac
    click $BACK
    click $EXIT
    for _ in $(seq 50); do running || break; sleep 0.1; done
    ! running || { echo "    still running after the exit button"; return 1; }
}

test_exit_button_ends_with_0() {
    start_program direct || return 1
    click $EXIT
    local code=running
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null || { wait "$app"; code=$?; app=""; }
    expect "exit status" "$code" 0
}

test_uninstall_removes_everything() {
    wine "$installed/uninstall.exe" /S >/dev/null 2>&1
    for _ in $(seq 100); do [ -e "$installed" ] || break; sleep 0.2; done
    [ ! -e "$installed" ] || { echo "    left behind: $(cd "$installed" && find . -type f | head -5 | tr '\n' ' ')"; return 1; }
    [ ! -e "$appdata/Roaming/Microsoft/Windows/Start Menu/Programs/VELOR! Tarmeni.lnk" ] || { echo "    shortcut left"; return 1; }
    ! wine reg query "$uninstall_key" >/dev/null 2>&1 || { echo "    registry entry left"; return 1; }
}

# The Windows tool prints and writes what the Linux tool does, byte for byte.
test_catalogue_tool_matches_linux() {
    local tool="$build/tools/kavinto-catalogue/kavinto-catalogue.exe"
    mkdir -p "$scratch/linux" "$scratch/windows"
    "$linux_tool" pack --methods "$csv/methods.csv" --functions "$csv/functions.csv" --out "$scratch/linux" >/dev/null ||
        return 1
    wine "$tool" pack --methods "$csv/methods.csv" --functions "$csv/functions.csv" --out "$scratch/windows" >/dev/null 2>&1 ||
        { echo "    pack failed under Wine"; return 1; }
    local f format
    for f in kavinto_modszerek.cds kavinto_funkciok.cds; do
        cmp -s "$scratch/linux/data/$f" "$scratch/windows/data/$f" || { echo "    $f differs"; return 1; }
        for format in csv json; do
            "$linux_tool" dump "$scratch/linux/data/$f" --format $format >"$scratch/linux.$format"
            wine "$tool" dump "$scratch/linux/data/$f" --format $format >"$scratch/windows.$format" 2>/dev/null
            cmp -s "$scratch/linux.$format" "$scratch/windows.$format" || { echo "    dump $f --format $format differs"; return 1; }
        done
    done
}

# Both programs carry their manifest: Windows 10 and 11, long paths, DPI awareness, asInvoker.
test_programs_carry_their_manifest() {
    local exe what
    for exe in "$build/app/kavinto.exe" "$build/tools/kavinto-catalogue/kavinto-catalogue.exe"; do
        for what in '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' '<longPathAware' 'PerMonitorV2' 'level="asInvoker"'; do
            strings -n 6 "$exe" | grep -qF "$what" || { echo "    $(basename "$exe"): no $what"; return 1; }
        done
    done
}

for t in test_install test_shortcut_starts_it_in_the_sample_folder test_exit_button_ends_with_0 \
         test_uninstall_removes_everything test_catalogue_tool_matches_linux test_programs_carry_their_manifest; do
    if "$t"; then
        echo "PASS $t"; passed=$((passed + 1))
    else
        echo "FAIL $t"; failed=$((failed + 1)); head -3 "$scratch/app.log" 2>/dev/null | sed 's/^/    app: /'
    fi
done
stop
echo "e2e-windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
