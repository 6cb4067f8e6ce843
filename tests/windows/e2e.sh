#!/usr/bin/env bash
# End-to-end tests of the Windows build under Wine, in the Wine prefix and on
# the X display the caller chose: the installer runs silently for one user,
# the installed program starts from its Start-menu shortcut in the catalogue
# folder, is driven with xdotool (a search by keyboard, a click on the
# document panel, handed to a recording handler registered for PDF files, the
# exit button); a reinstall and the uninstaller leave the school's changed
# catalogue as it is; an install of 0.1.0 is upgraded in place; an install for
# every user; then the Windows catalogue tool against the Linux one.
# Usage: e2e.sh BUILD_WINDOWS_DIR LINUX_KAVINTO_CATALOGUE SAMPLE_CSV_DIR
# (the sample catalogue: its rows are named below)
set -u
. "$(dirname "$0")/../support/window.sh"
build=$(realpath "$1") linux_tool=$(realpath "$2") csv=$(realpath "$3") here=$(realpath "$(dirname "$0")")
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
catalogue="$appdata/Local/kavinto/katalogus"
start_menu="$appdata/Roaming/Microsoft/Windows/Start Menu/Programs"
all_start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
shortcut="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\VELOR! Tarmeni.lnk"
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\kavinto'
stage="$build/packaging/windows/kavinto-$version"

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
# says (direct: kavinto.exe in the catalogue folder, a child whose status
# counts), and waits for its main window.
start_program() {
    : >"$handed"
    if [ "$1" = shortcut ]; then
        wine start "$shortcut" >"$scratch/app.log" 2>&1
    else
        # As Wine on a Wayland desktop passes it on: Windows' own platform all the same.
        (cd "$catalogue" && WAYLAND_DISPLAY=wayland-0 exec wine "$installed/kavinto.exe") \
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

# Runs the installer silently with the given switches (/D= last, unquoted:
# cmd passes it as it is; %Q% is a quote, which Wine would escape); the
# status is the installer's.
setup() {
    local exe; exe=$(windows_path "$build/kavinto-setup-$version.exe")
    Q='"' wine cmd /c "$exe /S $*" >/dev/null 2>&1
}
# Runs an uninstaller silently and waits for its last step, the removal of
# the uninstall entry from the hive given (HKCU or HKLM).
uninstall() {
    wine "$1/uninstall.exe" /S >/dev/null 2>&1
    for _ in $(seq 60); do
        wine reg query "$2\\$uninstall_key" >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    echo "    the uninstaller did not finish"; return 1
}
has_files() {
    local dir=$1 f; shift
    for f; do [ -f "$dir/$f" ] || { echo "    missing: $dir/$f"; return 1; }; done
}
# A value of the uninstall entry (reg writes in the console's OEM code page).
registry() {
    wine reg query "$1\\$uninstall_key" /v "$2" 2>/dev/null | iconv -f CP437 -t UTF-8 | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z]* *//p"
}
programs=(kavinto.exe kavinto-catalogue.exe kavinto-parancssor.cmd uninstall.exe)
sample=(data/kavinto_modszerek.cds data/kavinto_funkciok.cds pdf/otletborze.pdf)

test_install_for_one_user() {
    setup /CurrentUser "/D=$install_dir" || { echo "    the installer failed"; return 1; }
    has_files "$installed" "${programs[@]}" && has_files "$catalogue" "${sample[@]}" &&
        has_files "$start_menu" "VELOR! Tarmeni.lnk" "VELOR! Tarmeni katalóguseszköz.lnk" || return 1
    [ ! -e "$installed/sample" ] || { echo "    a catalogue beside the program"; return 1; }
    expect "catalogue folder" "$(registry HKCU CatalogueFolder)" "C:\\users\\$user\\AppData\\Local\\kavinto\\katalogus" &&
        expect "estimated size given" "$(registry HKCU EstimatedSize | grep -c 0x)" 1 &&
        expect "entries for every user" "$(registry HKLM InstallLocation)" ""
}

test_shortcut_starts_it_in_the_catalogue_folder() {
    start_program shortcut || return 1
    import -window root "$build/e2e-windows-search-page.png" 2>/dev/null
    # The first function by name is "Alkalmazás"; the first of its methods by name, "Esettanulmány".
    keys Tab Down Tab Tab Tab space
    import -window root "$build/e2e-windows-results-page.png" 2>/dev/null
    click $PANEL
    local got; got=$(tr -d '\r' <"$handed")
    case "$got" in
        *'\AppData\Local\kavinto\katalogus\pdf\esettanulmany.pdf') ;;
        *) echo "    handed over: '$got', expected ...\\katalogus\\pdf\\esettanulmany.pdf"; return 1 ;;
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

# A running program is found, and the installer stops before changing anything.
test_a_running_program_stops_the_installer() {
    start_program direct || return 1
    printf 'old' >"$installed/kavinto-parancssor.cmd"
    setup /CurrentUser "/D=$install_dir"
    local code=$?
    expect "installer's status" "$code" 2 && expect "the folder untouched" "$(cat "$installed/kavinto-parancssor.cmd")" old
    local result=$?
    click $EXIT
    for _ in $(seq 50); do running || break; sleep 0.1; done
    return $result
}

# The school changed the catalogue, added a document and removed one of the
# sample's: a reinstall and the uninstaller leave all of it as it is.
test_reinstall_and_uninstall_keep_the_catalogue() {
    echo 'the school' >>"$catalogue/data/kavinto_modszerek.cds"
    echo '%PDF-1.4' >"$catalogue/pdf/iskola.pdf"
    rm "$catalogue/pdf/otletborze.pdf"
    local before; before=$(cd "$catalogue" && find . -type f -exec md5sum {} + | sort)
    setup /CurrentUser "/D=$install_dir" || { echo "    the reinstall failed"; return 1; }
    has_files "$installed" "${programs[@]}" || return 1
    expect "catalogue after the reinstall" "$(cd "$catalogue" && find . -type f -exec md5sum {} + | sort)" "$before" ||
        return 1
    uninstall "$installed" HKCU || return 1
    [ ! -e "$installed" ] || { echo "    left behind: $(cd "$installed" && find . -type f | head -5 | tr '\n' ' ')"; return 1; }
    [ ! -e "$start_menu/VELOR! Tarmeni.lnk" ] && [ ! -e "$start_menu/VELOR! Tarmeni katalóguseszköz.lnk" ] ||
        { echo "    shortcut left"; return 1; }
    ! wine reg query "HKCU\\$uninstall_key" >/dev/null 2>&1 || { echo "    registry entry left"; return 1; }
    expect "catalogue after the uninstall" "$(cd "$catalogue" && find . -type f -exec md5sum {} + | sort)" "$before"
}

# 0.1.0 installed per user with its catalogue in sample\ beside the program,
# and an uninstaller that deletes sample\pdf\*.pdf: upgraded in place, that
# folder stays the catalogue, and the old uninstaller is never run.
test_upgrade_from_0_1_0_keeps_its_catalogue() {
    local old="$appdata/Local/Programs/kavinto"
    makensis -V1 -DVERSION=0.1.0 "-DSTAGE=$stage" "-DOUTFILE=$scratch/setup-0.1.0.exe" \
        "-DICON=$here/../../assets/kavinto.ico" "$here/installer-0.1.0.nsi" >/dev/null ||
        { echo "    0.1.0's installer does not build"; return 1; }
    wine "$scratch/setup-0.1.0.exe" /S >/dev/null 2>&1
    for _ in $(seq 100); do [ -f "$old/uninstall.exe" ] && break; sleep 0.1; done
    echo '%PDF-1.4' >"$old/sample/pdf/iskola.pdf"
    setup || { echo "    the upgrade failed"; return 1; }  # as an administrator, no switch
    has_files "$old" "${programs[@]}" && has_files "$old/sample" "${sample[@]}" pdf/iskola.pdf || return 1
    expect "catalogue folder" "$(registry HKCU CatalogueFolder)" "C:\\users\\$user\\AppData\\Local\\Programs\\kavinto\\sample" &&
        expect "entries for every user" "$(registry HKLM InstallLocation)" "" || return 1
    uninstall "$old" HKCU || return 1
    has_files "$old/sample" "${sample[@]}" pdf/iskola.pdf && [ ! -e "$old/kavinto.exe" ]
}

# For every user: into Program Files, the catalogue where /CATALOGUE= says,
# the entry under HKLM and the shortcuts in the all-users Start menu; the
# tool's prompt shows its usage there. An administrator's silent install with
# no switch is for every user too, its catalogue in %ProgramData%.
test_install_for_every_user() {
    local programfiles="$WINEPREFIX/drive_c/Program Files/kavinto" shared='C:\Iskola\Közös katalógus'
    setup /AllUsers "/CATALOGUE=%Q%$shared%Q%" || { echo "    the installer failed"; return 1; }
    has_files "$programfiles" "${programs[@]}" && has_files "$WINEPREFIX/drive_c/Iskola/Közös katalógus" "${sample[@]}" &&
        has_files "$all_start_menu" "VELOR! Tarmeni.lnk" "VELOR! Tarmeni katalóguseszköz.lnk" || return 1
    expect "catalogue folder" "$(registry HKLM CatalogueFolder)" "$shared" || return 1
    local usage
    usage=$(cd "$WINEPREFIX/drive_c/Iskola/Közös katalógus" && wine cmd /c 'C:\Program Files\kavinto\kavinto-parancssor.cmd' 2>/dev/null)
    case "$usage" in *"kavinto-catalogue pack"*) ;; *) echo "    the prompt shows no usage: $usage"; return 1 ;; esac
    uninstall "$programfiles" HKLM || return 1
    ! wine reg query "HKLM\\$uninstall_key" >/dev/null 2>&1 || { echo "    registry entry left"; return 1; }
    has_files "$WINEPREFIX/drive_c/Iskola/Közös katalógus" "${sample[@]}" || return 1
    setup || { echo "    the installer failed"; return 1; }
    has_files "$WINEPREFIX/drive_c/ProgramData/kavinto/katalogus" "${sample[@]}" &&
        expect "install folder" "$(registry HKLM InstallLocation)" 'C:\Program Files\kavinto' &&
        uninstall "$programfiles" HKLM
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

# In a console the tool writes whole lines through the console, accents and all
# (script gives it a terminal, which Wine makes its console).
test_the_tool_writes_accents_to_a_console() {
    local out
    out=$(script -qec "wine '$build/tools/kavinto-catalogue/kavinto-catalogue.exe' dump '$build/sample/data/kavinto_funkciok.cds' --format csv" /dev/null)
    case "$out" in *'2,Motiváció'*'Ismeretszerzés'*) ;; *) echo "    in the console: $(echo "$out" | grep -a Motiv)"; return 1 ;; esac
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

for t in test_install_for_one_user test_shortcut_starts_it_in_the_catalogue_folder test_exit_button_ends_with_0 \
         test_a_running_program_stops_the_installer test_reinstall_and_uninstall_keep_the_catalogue \
         test_upgrade_from_0_1_0_keeps_its_catalogue test_install_for_every_user \
         test_catalogue_tool_matches_linux test_the_tool_writes_accents_to_a_console \
         test_programs_carry_their_manifest; do
    if "$t"; then
        echo "PASS $t"; passed=$((passed + 1))
    else
        echo "FAIL $t"; failed=$((failed + 1)); head -3 "$scratch/app.log" 2>/dev/null | sed 's/^/    app: /'
    fi
done
stop
echo "e2e-windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
