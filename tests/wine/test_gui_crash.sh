# A crash never leaves the host disabled or waiting on a box. The test build of the program
# (korvif32_crash_test.exe, never shipped) crashes while its Open dialog is open: by an access
# violation (the unhandled-exception filter), by a C++ exception in a window procedure (its own
# catch block) and by std::terminate (the terminate handler). Each time the host window, disabled
# by the dialog, is enabled again, gets the dialog's end message 0x0208 (0, -1) once, no crash box
# appears, the exit code is 0 and the trace's last line says why.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
[ -f "$WINDOWS_BUILD/korvif32_crash_test.exe" ] || fail "$WINDOWS_BUILD/korvif32_crash_test.exe is missing"
start_xvfb

declare -A reason=(
    [fault]='stop: crash: exception 0xC0000005 at 0x'
    [throw]='stop: the command failed in a window procedure or callback: crash test'
    [terminate]='stop: crash: the C++ runtime ended the run (std::terminate)'
)
for kind in fault throw terminate; do
    trace="$WORK/trace-$kind.log"
    export KORVIF_CRASH_TEST=$kind KORVIF_TRACE
    KORVIF_TRACE=$(winpath "$trace")
    start_host "program korvif32_crash_test.exe" "run FDOPEN:{HOST},{EDIT},0,Alle Dateien|*.*|" "log-enabled"
    unset KORVIF_CRASH_TEST KORVIF_TRACE
    finish_host 60
    grep -q '^enabled 1 disabled-during-run 1$' "$WORK/host.log" || fail "$kind: the host window: $(cat "$WORK/host.log")"
    grep -q '^message 520 0 -1$' "$WORK/host.log" || fail "$kind: no 0x0208 (0, -1) for the host: $(cat "$WORK/host.log")"
    [ "$(log_count '^message ')" = 1 ] || fail "$kind: more than one message: $(cat "$WORK/host.log")"
    grep -q '^exit 0$' "$WORK/host.log" || fail "$kind: exit code not 0: $(cat "$WORK/host.log")"
    if box=$(find_new_window 2); then
        screenshot "box-$kind"
        fail "$kind: a window is left on the screen: $(xdotool getwindowname "$box")"
    fi
    pgrep -f winedbg >/dev/null && fail "$kind: the crash started winedbg"
    last=$(tail -1 "$trace")
    [[ $last == *"${reason[$kind]}"* ]] || fail "$kind: the trace ends with '$last', not '${reason[$kind]}'"
done
passed
