# Window numbers that name no window of the host (65535 is HWND_BROADCAST, which reaches every
# top-level window) never reach other programs' windows, and HELP commands whose data Windows
# Help would read as an address never crash the program.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
start_xvfb

# FDOPEN for no window: the dialog is shown without owner and cancelled; no window's title is
# emptied and no end message is broadcast. STM and INFO for no window do nothing at all.
start_host "log-title" "run FDOPEN:65535,65535,0,Alle|*.*|" "log-title" "run STM:65535,1100,0" "run STM:{NOWINDOW},1100,0" \
    "run INFO:65535,65535" "run STI:0,65535,1100,1,Tipp"
wait_for_log '^started FDOPEN' 30
dialog=$(find_new_window 20) || fail "FDOPEN: no dialog appeared"
sleep 0.5
read -r x y < <(window_position "$dialog")
xdotool mousemove $((x + 200)) $((y + 100))
xdotool key Escape
finish_host 60
[ "$(log_count '^title Korvif Test Host$')" = 2 ] || fail "the host's title changed: $(cat "$WORK/host.log")"
[ "$(log_count '^message ')" = 0 ] || fail "a message reached the host: $(cat "$WORK/host.log")"
[ "$(log_count '^exit 0$')" = 5 ] || fail "not every command ended with exit code 0: $(cat "$WORK/host.log")"

# HELP_KEY (257) with a number: Windows Help gets the number's text (the number itself would be
# read as the keyword's address). Should Windows Help ask about the missing file, No answers it.
start_host "run HELP:{HOST},257,12345,$(winpath "$WORK/fehlt.hlp")"
wait_for_log '^started HELP' 30
finish_host_answering_no
grep -q '^exit 0$' "$WORK/host.log" || fail "HELP_KEY: $(cat "$WORK/host.log")"
timeout 20 wineserver -k >/dev/null 2>&1 || true
start_host "run HELP:{HOST},10,5,x.hlp" "run HELP:{HOST},513,5,x.hlp"
finish_host 30
[ "$(log_count '^exit 0$')" = 2 ] || fail "HELP with a structure: $(cat "$WORK/host.log")"
pgrep -f winhlp32 >/dev/null && fail "HELP with a structure started Windows Help"
passed
