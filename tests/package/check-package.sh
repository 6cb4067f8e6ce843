#!/usr/bin/env bash
# Checks a built kavinto Debian package: fields, contents, the desktop entry,
# the AppStream metainfo, the manual pages, lintian, that apt can resolve its
# dependencies, and that the program it installs starts in the desktop
# entry's folder. Usage: check-package.sh KAVINTO.deb
set -u
. "$(dirname "$0")/../support/window.sh"
deb=$(realpath "$1")
scratch=$(mktemp -d)
passed=0 failed=0 app="" xvfb=""
cleanup() { [ -n "$app" ] && kill "$app" 2>/dev/null; [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
check() {  # check NAME COMMAND...
    local name=$1; shift
    if "$@" >"$scratch/out" 2>&1; then echo "PASS $name"; passed=$((passed + 1))
    else echo "FAIL $name"; sed 's/^/    /' "$scratch/out" | tail -10; failed=$((failed + 1)); fi
}

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
dpkg-deb -c "$deb" | awk '{print $NF}' >"$scratch/contents"
dpkg -x "$deb" "$scratch/root"
sample="$scratch/root/usr/share/kavinto/sample"
entry="$scratch/root/usr/share/applications/kavinto.desktop"

has_depends() { for d in libqt6widgets6 libqt6gui6 libqt6core6 zlib1g qt6-qpa-plugins fonts-liberation xdg-utils; do
    grep -q "\b$d\b" <<<"$depends" || { echo "Depends lacks $d: $depends"; return 1; }; done; }
has_files() { for f in ./usr/bin/kavinto ./usr/bin/kavinto-catalogue ./usr/share/applications/kavinto.desktop \
        ./usr/share/icons/hicolor/48x48/apps/kavinto.png ./usr/share/icons/hicolor/256x256/apps/kavinto.png \
        ./usr/share/kavinto/sample/data/kavinto_modszerek.cds ./usr/share/kavinto/sample/data/kavinto_funkciok.cds \
        ./usr/share/doc/kavinto/copyright ./usr/share/doc/kavinto/changelog.gz; do
    grep -qx "$f" "$scratch/contents" || { echo "missing $f"; return 1; }; done
    [ "$(grep -c '^./usr/share/kavinto/sample/pdf/.*\.pdf$' "$scratch/contents")" -ge 40 ]; }
entry_is_valid() { desktop-file-validate "$entry" &&
    grep -qx 'Path=/usr/share/kavinto/sample' "$entry" && grep -qx 'Exec=/usr/bin/kavinto' "$entry" &&
    grep -qx "X-Kavinto-Version=$version" "$entry"; }
apt_resolves() { apt-get install -s "$deb" | grep -q "^Inst kavinto"; }
metainfo_is_valid() {
    local files=("$scratch"/root/usr/share/metainfo/*.metainfo.xml)
    [ -f "${files[0]}" ] || { echo "no metainfo file"; return 1; }
    grep -q 'launchable type="desktop-id">kavinto.desktop<' "${files[0]}" && grep -q '<summary xml:lang="hu">' "${files[0]}" &&
        grep -q '<screenshot' "${files[0]}" && appstreamcli validate --no-net "${files[0]}"
}
manual_pages_render() {
    local page
    for page in kavinto kavinto-catalogue; do
        local file="$scratch/root/usr/share/man/man1/$page.1.gz"
        [ -f "$file" ] || { echo "no manual page $page(1)"; return 1; }
        MANWIDTH=80 man -l "$file" 2>&1 | grep -q "^NAME" || { echo "$page(1) does not render"; return 1; }
    done
}
# No error; the warnings, if any, are printed.
lintian_finds_no_error() {
    lintian "$deb" 2>/dev/null >"$scratch/lintian"
    cat "$scratch/lintian"
    ! grep -q '^E:' "$scratch/lintian"
}
sample_is_clean() { "$scratch/root/usr/bin/kavinto-catalogue" check "$sample"; }
starts_in_its_folder() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -1 "$scratch/display")"
    (cd "$sample" && QT_QPA_PLATFORM=xcb exec "$scratch/root/usr/bin/kavinto") &
    app=$!
    find_window 10 "$app" >/dev/null && sleep 0.5 && kill -0 "$app"
}

check "package fields" test "$(dpkg-deb -f "$deb" Package)" = kavinto
check "dependencies" has_depends
check "contents" has_files
check "desktop entry" entry_is_valid
check "apt resolves the dependencies" apt_resolves
check "AppStream metainfo is valid" metainfo_is_valid
check "manual pages render" manual_pages_render
check "lintian finds no error" lintian_finds_no_error
check "installed sample catalogue is clean" sample_is_clean
check "starts in the desktop entry's folder" starts_in_its_folder
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
