# STM under Wine with a host window: each entry chosen by keyboard and by mouse posts the base
# message or the base message + 1 with parameters 0 and 0; Escape and a fully greyed menu post
# nothing; a missing base message shows no menu. Screenshots of the menu.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
start_xvfb

menu_geometry='[0-9]{2,3}x[34][0-9]'

# Runs one STM command in a fresh host, acts on the menu with "$@" (xdotool arguments, or a
# "click N" for the Nth entry), and leaves the host's log in $WORK/host.log.
with_menu() {
    local command=$1 shot=$2
    shift 2
    start_host "run $command"
    wait_for_log '^started STM:' 30
    local menu
    menu=$(wait_for_window "$menu_geometry" 15) || fail "$command: no menu appeared"
    sleep 0.3
    [ -n "$shot" ] && screenshot "$shot"
    if [ "$1" = click ]; then
        read -r x y < <(window_position "$menu")
        xdotool mousemove $((x + 30)) $((y + 20 * $2 - 10)) click 1
    else
        xdotool "$@"
    fi
    finish_host 30
}

expect_messages() {
    local want=$1 got
    got=$(grep '^message ' "$WORK/host.log" | tr '\n' ';' || true)
    [ "$got" = "$want" ] || fail "expected messages '$want', got '$got'"
    grep -q '^exit 0$' "$WORK/host.log" || fail "the menu command did not end with exit code 0"
}

with_menu "STM:{HOST},1025,0" menu key w
expect_messages "message 1025 0 0;"
with_menu "STM:{HOST},1025,0" "" key e
expect_messages "message 1026 0 0;"
with_menu "STM:{HOST},1025,0" "" key Down Return
expect_messages "message 1025 0 0;"
with_menu "STM:{HOST},1025,0" "" click 1
expect_messages "message 1025 0 0;"
with_menu "STM:{HOST},1025,0" "" click 2
expect_messages "message 1026 0 0;"
with_menu "STM:{HOST},1025,4" "" key e
expect_messages "message 1026 0 0;"
with_menu "STM:{HOST},1025,0" "" key Escape
expect_messages ""
with_menu "STM:{HOST},1025,3" menu-greyed key w Down Return Escape
expect_messages ""
with_menu "STM:{HOST},1025,1" "" key e
expect_messages "message 1026 0 0;"

# No base message, or no window: no menu, nothing posted, exit code 0.
start_host "run STM:{HOST}" "run STM:0,1025" "run STM:"
finish_host 30
expect_messages ""
[ "$(log_count '^exit 0$')" = "3" ] || fail "not every run ended with exit code 0"
passed
