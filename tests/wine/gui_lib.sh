# Shared part of the GUI tests under Wine: a private Xvfb server, the test host program, xdotool.
# Source after lib.sh. Everything started here is ended by process id when the test ends.

GUI_PIDS=()

gui_cleanup() {
    local pid
    for pid in "${GUI_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    # Wine processes that korvif32.exe or the host left behind, then the server itself.
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    for pid in "${GUI_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
}
trap gui_cleanup EXIT

start_xvfb() {
    # A Wine server left from a test without a display would serve this one without it too.
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
    local display
    for display in $(seq 91 140); do
        [ -e "/tmp/.X$display-lock" ] && continue
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
        local server=$!
        GUI_PIDS+=($server)
        export DISPLAY=":$display"
        local tries
        for tries in $(seq 50); do
            # The display must be this server's: another test starting at the same moment may
            # have taken the number, and its server goes when that test ends.
            if xdotool getdisplaygeometry >/dev/null 2>&1; then
                [ "$(tr -d ' ' <"/tmp/.X$display-lock" 2>/dev/null)" = "$server" ] && return 0
                break
            fi
            kill -0 "$server" 2>/dev/null || break
            sleep 0.1
        done
        kill "$server" 2>/dev/null || true
    done
    fail "no free X display, or Xvfb did not start"
}

# Starts the test host with a script (its lines given as arguments) in the background; its log
# is $WORK/host.log.
start_host() {
    printf '%s\n' "$@" >"$WORK/host-script.txt"
    : >"$WORK/host.log"
    timeout 300 wine "$WINDOWS_BUILD/test_host.exe" "$(winpath "$WORK/host-script.txt")" "$(winpath "$WORK/host.log")" \
        >"$WORK/host-wine.log" 2>&1 &
    HOST_PID=$!
    GUI_PIDS+=($HOST_PID)
    wait_for_log '^host [1-9]' 60
}

# Waits up to $2 seconds (default 30) for a log line matching the extended regular expression $1.
wait_for_log() {
    local pattern=$1 limit=${2:-30} tenths=0
    while ! grep -qE "$pattern" "$WORK/host.log" 2>/dev/null; do
        sleep 0.1
        tenths=$((tenths + 1))
        [ $tenths -lt $((limit * 10)) ] || fail "no log line like '$pattern' within $limit s: $(cat "$WORK/host.log")"
    done
}

# Waits for the host to finish its script.
finish_host() {
    wait_for_log "^done$" "${1:-60}"
    wait "$HOST_PID" 2>/dev/null || true
}

# Waits for the host's one command to end (at most 20 seconds) while answering No to every
# window that comes up, such as Windows Help asking whether to look for a missing file; then
# for the host to finish.
finish_host_answering_no() {
    local window x y
    for _ in $(seq 100); do
        grep -q '^exit ' "$WORK/host.log" && break
        if window=$(find_new_window 0); then
            read -r x y < <(window_position "$window")
            xdotool mousemove $((x + 20)) $((y + 20))
            xdotool key n
        fi
        sleep 0.2
    done
    finish_host 60
}

# The id of a visible window whose geometry is $1 (WIDTHxHEIGHT, a regular expression), within
# $2 seconds.
wait_for_window() {
    local geometry=$1 limit=${2:-15} tenths=0 window
    while :; do
        for window in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            if xdotool getwindowgeometry "$window" 2>/dev/null | grep -qE "Geometry: $geometry\$"; then
                echo "$window"
                return 0
            fi
        done
        sleep 0.1
        tenths=$((tenths + 1))
        [ $tenths -lt $((limit * 10)) ] || return 1
    done
}

# A visible window that is neither the screen, the host nor an empty helper (a dialog, a
# balloon, a message box), within $1 seconds.
find_new_window() {
    local limit=${1:-15} tenths=0 window geometry
    while :; do
        for window in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "Korvif Test Host" ] && continue
            geometry=$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: //p')
            case "$geometry" in "$(xdotool getdisplaygeometry | tr ' ' x)" | 1x1 | "") ;; *) echo "$window" && return 0 ;; esac
        done
        sleep 0.05
        tenths=$((tenths + 1))
        [ $tenths -lt $((limit * 20)) ] || return 1
    done
}

window_position() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([-0-9]*\),\([-0-9]*\).*/\1 \2/p'
}

screenshot() {
    import -window root "$WORK/$1.png" 2>/dev/null || xwd -root -silent | convert xwd:- "$WORK/$1.png"
}

# Counts log lines matching the extended regular expression.
log_count() {
    grep -cE "$1" "$WORK/host.log" || true
}
