# INFO under Wine with a host window and a button: the balloon comes to rest with its top-left
# corner on the button's centre; clicks inside the outline post 1025 (123, 456) once; clicks
# outside it, keys and clicks elsewhere close it without a message; a missing or invalid window
# shows nothing. A screenshot of the resting balloon is kept.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
start_xvfb

button_centre() {
    local left top right bottom
    read -r left top right bottom < <(grep '^button-rect' "$WORK/host.log" | tail -1 | cut -d' ' -f2-)
    echo "$((left + (right - left) / 2)) $((top + (bottom - top) / 2))"
}

expect() {
    local want=$1 got
    got=$(grep '^message ' "$WORK/host.log" | tr '\n' ';' || true)
    [ "$got" = "$want" ] || fail "expected messages '$want', got '$got'"
    grep -q '^exit 0$' "$WORK/host.log" || fail "INFO did not end with exit code 0"
}

# 1. The balloon travels from the host's lower-right corner to the button and rests there;
#    a click inside its outline tells the host once.
start_host "button 20 60 120 36" "run INFO:{HOST},{BUTTON}"
wait_for_log '^started INFO' 30
balloon=$(find_new_window) || fail "no balloon appeared"
read -r first_x first_y < <(window_position "$balloon")
read -r centre_x centre_y < <(button_centre)
sleep 1.5
read -r x y < <(window_position "$balloon")
[ "$x $y" = "$centre_x $centre_y" ] || fail "the balloon rests at $x,$y, not on the button's centre $centre_x,$centre_y"
[ "$first_x" -ge "$centre_x" ] && [ "$first_y" -ge "$centre_y" ] || fail "the balloon came from $first_x,$first_y"
screenshot balloon-resting
xdotool mousemove $((x + 60)) $((y + 50)) click 1
finish_host 30
expect "message 1025 123 456;"

# 2. A click inside the outline while the balloon travels.
travelling=no
for attempt in 1 2 3; do
    start_host "button 10 40 60 30" "run INFO:{HOST},{BUTTON}"
    wait_for_log '^started INFO' 30
    balloon=$(find_new_window) || fail "no balloon appeared"
    read -r x y < <(window_position "$balloon")
    xdotool mousemove $((x + 60)) $((y + 40)) click 1
    finish_host 30
    expect "message 1025 123 456;"
    read -r centre_x centre_y < <(button_centre)
    if [ "$x $y" != "$centre_x $centre_y" ]; then
        travelling=yes
        break
    fi
done
[ $travelling = yes ] || fail "the balloon had always arrived before the click"

# 3. Inside the bounding rectangle but outside the outline (above the body, right of the
#    pointer), a key, and a click elsewhere: closed, nothing posted.
for action in outside key elsewhere; do
    start_host "run INFO:{HOST},{BUTTON}"
    wait_for_log '^started INFO' 30
    balloon=$(find_new_window) || fail "no balloon appeared"
    sleep 1
    read -r x y < <(window_position "$balloon")
    case $action in
        outside) xdotool mousemove $((x + 60)) $((y + 8)) click 1 ;;
        key) xdotool mousemove $((x + 60)) $((y + 50)) && sleep 0.2 && xdotool key space ;;
        elsewhere) xdotool mousemove 150 200 click 1 ;;
    esac
    finish_host 30
    expect ""
done

# 4. No button, an invalid button or an invalid host: nothing is shown.
start_host "run INFO:{HOST}" "run INFO:{HOST},{NOWINDOW}" "run INFO:{NOWINDOW},{BUTTON}" "run INFO:"
finish_host 60
[ "$(log_count '^exit 0$')" = "4" ] || fail "not every run ended with exit code 0: $(cat "$WORK/host.log")"
[ "$(log_count '^message ')" = "0" ] || fail "a message was posted"
passed
