#!/usr/bin/env bash
# Runs the commands the README shows, so that it cannot go stale: every
# kavinto-catalogue line of it on the sample catalogue, and scripts/run,
# whose window must come up under Xvfb. Usage: check-readme.sh BUILD_DIR
set -u
. "$(dirname "$0")/../support/window.sh"
root="$(cd "$(dirname "$0")/../.." && pwd)"
tool=$(realpath "$1")/tools/kavinto-catalogue/kavinto-catalogue
scratch=$(mktemp -d)
passed=0 failed=0 xvfb="" run=""
cleanup() { [ -n "$run" ] && kill -- -"$run" 2>/dev/null; [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
check() {
    local name=$1; shift
    if "$@" >"$scratch/out" 2>&1; then echo "PASS $name"; passed=$((passed + 1))
    else echo "FAIL $name"; tail -10 "$scratch/out" | sed 's/^/    /'; failed=$((failed + 1)); fi
}

# The README's command lines, with its placeholders filled in.
cp "$root/sample/methods.csv" "$root/sample/functions.csv" "$scratch/"
mkdir -p "$scratch/DIR/pdf"
for f in $(cut -d';' -f3 "$root/sample/methods.csv" | tail -n +2); do printf '%%PDF-1.4\n' >"$scratch/DIR/pdf/$f"; done
readme_line() {  # runs one README line, a return code of 0 expected
    local line=$1
    line=${line//METHODS.csv/methods.csv}; line=${line//FUNCTIONS.csv/functions.csv}
    line=${line//FILE/DIR\/data\/kavinto_funkciok.cds}; line=${line//\[--format csv|json\]/--format json}
    (cd "$scratch" && eval "\"$tool\" ${line#kavinto-catalogue }")
}
while IFS= read -r line; do
    check "README: $line" readme_line "$line"
done < <(sed -n 's/^    \(kavinto-catalogue [a-z].*\)$/\1/p' "$root/README.md" | sed 's/ *#.*//' | awk '!seen[$0]++')

# scripts/run builds the program and starts it on the sample catalogue.
runs_the_sample() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -1 "$scratch/display")"
    setsid "$root/scripts/run" >"$scratch/run.log" 2>&1 &
    run=$!
    # the build may take minutes
    find_window 600 "$run" >/dev/null || { tail -20 "$scratch/run.log"; return 1; }
    sleep 1
    find_window 0 >/dev/null  # and it stays
}
check "README: scripts/run" runs_the_sample
echo "readme: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
