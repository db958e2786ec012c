# FDOPEN, FDSAVE and HELP under Wine with a host window and an edit control holding a directory:
# the chosen file's short path lands in the edit control and 0x0208 (0, -1) is posted in every
# case; FDSAVE creates a new empty file, adds the default extension and leaves an existing file
# alone; HELP starts Windows Help for the help file.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
start_xvfb

docs="$WORK/docs"
mkdir -p "$docs"
printf 'page one' >"$docs/seite1.kvd"
printf 'keep me' >"$docs/bestand.kvd"
filter='Faxdokumente|*.kvd|Alle Dateien|*.*|'

# Runs one dialog command; types $2 into the dialog (or presses Escape for "-"), logs the edit.
with_dialog() {
    local command=$1 typed=$2 dialog x y
    start_host "edit $(winpath "$docs")" "run $command" "log-edit"
    wait_for_log '^started FD' 30
    dialog=$(find_new_window 20) || fail "$command: no dialog appeared"
    sleep 0.5
    read -r x y < <(window_position "$dialog")
    xdotool mousemove $((x + 200)) $((y + 100))
    sleep 0.2
    if [ "$typed" = - ]; then
        xdotool key Escape
    elif [[ $typed == *[![:ascii:]]* ]]; then
        wine "$WINDOWS_BUILD/choose_file.exe" "$typed" >"$WORK/choose.log" 2>&1 || fail "choose_file: $(cat "$WORK/choose.log")"
    else
        xdotool type --delay 20 "$typed"
        xdotool key Return
    fi
    finish_host 30
    grep -q '^message 520 0 -1$' "$WORK/host.log" || fail "$command: no 0x0208 (0, -1) for the host"
    [ "$(log_count '^message ')" = 1 ] || fail "$command: more than one message"
    grep -q '^exit 0$' "$WORK/host.log" || fail "$command: exit code not 0"
}

edit_text() { sed -n 's/^edit //p' "$WORK/host.log" | tail -1; }

# Open: an existing file typed by name.
with_dialog "FDOPEN:{HOST},{EDIT},0,$filter" seite1.kvd
edit_text | grep -qiE '\\SEITE1\.KVD$' || fail "FDOPEN: the edit control holds '$(edit_text)'"

# Open, cancelled: the control stays empty.
with_dialog "FDOPEN:{HOST},{EDIT},0,$filter" -
[ -z "$(edit_text)" ] || fail "FDOPEN cancelled: the edit control holds '$(edit_text)'"

# Save: a new name without extension gets the default extension and an empty file.
with_dialog "FDSAVE:{HOST},{EDIT},0,$filter" neu
[ -f "$docs/neu.kvd" ] || fail "FDSAVE did not create neu.kvd: $(ls "$docs")"
[ ! -s "$docs/neu.kvd" ] || fail "FDSAVE: neu.kvd is not empty"
edit_text | grep -qiE '\\NEU\.KVD$' || fail "FDSAVE: the edit control holds '$(edit_text)'"

# Save: an existing file is neither emptied nor replaced, and its path is reported.
with_dialog "FDSAVE:{HOST},{EDIT},0,$filter" bestand.kvd
[ "$(cat "$docs/bestand.kvd")" = "keep me" ] || fail "FDSAVE changed an existing file"
edit_text | grep -qiE '\\BESTAND\.KVD$' || fail "FDSAVE: the edit control holds '$(edit_text)'"

# Names outside the ANSI code page: the host gets a short path that names exactly the chosen file
# (or nothing, with the trace saying why), never the path of its "best fit" twin.
printf 'cyrillic' >"$docs/Счёт.kvd"
printf 'polish' >"$docs/Łukasz.kvd"
printf 'twin' >"$docs/Lukasz.kvd"
names_file() {  # the edit control's text: the Linux path it names, or "" when empty
    local text
    text=$(edit_text)
    [ -n "$text" ] && winepath -u "$text" 2>/dev/null | tr -d '\r'
}
for chosen in Счёт.kvd Łukasz.kvd; do
    export KORVIF_TRACE="$(winpath "$WORK/trace-$chosen.log")"
    with_dialog "FDOPEN:{HOST},{EDIT},0,$filter" "$chosen"
    unset KORVIF_TRACE
    named=$(names_file)
    if [ -n "$named" ]; then
        [ "$(realpath "$named")" = "$(realpath "$docs/$chosen")" ] || fail "FDOPEN of $chosen handed over '$(edit_text)', which names $named"
    else
        grep -q '" is not given to the host' "$WORK/trace-$chosen.log" || fail "FDOPEN of $chosen: an empty control and no reason traced"
    fi
done

# Help: Windows Help starts for the help file. No help compiler is at hand, so the file does not
# exist, and Windows Help asks in its own window whether to look for it (the whole path, comma
# included, is in its text); answering No lets the request finish.
start_host "run HELP:{HOST},1,0,$(winpath "$WORK/korvif, hilfe.hlp")"
wait_for_log '^started HELP' 30
help_window=$(find_new_window 30) || fail "HELP: Windows Help showed no window"
screenshot help
pgrep -f winhlp32 >/dev/null || fail "HELP: winhlp32 is not running"
read -r x y < <(window_position "$help_window")
xdotool mousemove $((x + 20)) $((y + 20))
xdotool key n
finish_host 60
grep -q '^exit 0$' "$WORK/host.log" || fail "HELP: exit code not 0"

# Help with fewer than four fields or an empty file: nothing, exit code 0.
start_host "run HELP:{HOST},1,0" "run HELP:{HOST},1,0," "run HELP:"
finish_host 30
[ "$(log_count '^exit 0$')" = 3 ] || fail "HELP without a file: $(cat "$WORK/host.log")"
pgrep -f winhlp32 >/dev/null && fail "HELP without a file started Windows Help"
passed
