# Sourced by the scripts that drive the real window.

# Prints the main window's id once it is shown, waiting at most SECONDS;
# prints nothing and fails if it is not, or if process PID ends first.
# Usage: find_window SECONDS [PID]
find_window() {
    local id end=$((SECONDS + $1))
    while :; do
        id=$(xdotool search --onlyvisible --name '^VELOR! Tarmeni$' 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        [ -n "${2:-}" ] && ! kill -0 "$2" 2>/dev/null && return 1
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}
