# STI under Wine with a host window: add, modify (tip, icon, callback) and delete the tray icon;
# tips of 63 and 64 characters; screenshots of the notification area with each status icon.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
start_xvfb

tip63=$(printf 'T%.0s' $(seq 63))
tip64=$(printf 'T%.0s' $(seq 64))
start_host \
    "tray" \
    "run STI:0,{HOST},32769,1,Korvif Fax bereit" \
    "tray" \
    "wait 800" \
    "run STI:1,{HOST},0,2,Empfang, mit Komma" \
    "wait 800" \
    "run STI:1,{HOST},0,3" \
    "wait 800" \
    "run STI:1,{HOST},0,4,$tip63" \
    "wait 800" \
    "run STI:1,{HOST},32770,5,$tip64" \
    "wait 800" \
    "run STI:1,{HOST},32770,9" \
    "tray" \
    "run STI:2,{HOST}" \
    "tray" \
    "run STI:2,{HOST}" \
    "run STI:0" \
    "run STI:"

for icon in 1 2 3 4 5; do
    wait_for_log "^started STI:[01],[0-9]+,[0-9]+,$icon" 60
    sleep 0.5
    screenshot "tray-status-$icon"
done
finish_host

[ "$(sed -n '4p' "$WORK/host.log")" = "tray absent" ] || fail "a tray icon existed before the first request"
[ "$(grep -A2 '^started STI:0,' "$WORK/host.log" | tail -1)" = "tray present" ] || fail "NIM_ADD did not add the icon"
[ "$(grep -A2 'STI:1,[0-9]*,32770,9$' "$WORK/host.log" | tail -1)" = "tray present" ] || fail "the icon went away while modified"
[ "$(grep -A2 '^started STI:2,' "$WORK/host.log" | sed -n '3p')" = "tray absent" ] || fail "NIM_DELETE did not remove the icon"
[ "$(log_count '^exit 0$')" = "10" ] || fail "not every run ended with exit code 0: $(cat "$WORK/host.log")"
# Mouse notifications would arrive as the callback message; without input none may arrive.
[ "$(log_count '^message ')" = "0" ] || fail "unexpected messages: $(grep '^message' "$WORK/host.log")"
passed
