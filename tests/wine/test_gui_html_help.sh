# HELP on Windows Vista and later with an HTML Help file beside the help file: the request goes to
# the HTML Help viewer in the Windows directory (here record_command.exe stands in for it), with
# the context number for HELP_CONTEXT, the file alone for HELP_FINDER and nothing for HELP_QUIT,
# also for a help file named by its short name or with a ">window" part. Without the .chm, and on
# Windows XP, Windows Help has the request as before.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/gui_lib.sh"
start_xvfb

# The prefix's Windows version and its viewer are changed for this test only. What they were is
# kept outside $WORK until it is put back, so that a run that was killed is mended by the next.
saved="$WINDOWS_BUILD/wineprefix-html-help-saved"
viewer="$WINEPREFIX/drive_c/windows/hh.exe"
restore_prefix() {
    [ -d "$saved" ] || return 0
    if [ -s "$saved/version" ]; then
        wine reg add 'HKCU\Software\Wine' /v Version /d "$(cat "$saved/version")" /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
    fi
    if [ -f "$saved/hh.exe" ]; then cp "$saved/hh.exe" "$viewer"; else rm -f "$viewer"; fi
    timeout 60 wineserver -w || true
    rm -rf "$saved"
}
set_version() { wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1 || fail "cannot set the version $1"; }
restore_prefix
rm -rf "$saved.new"
mkdir "$saved.new"
{ wine reg query 'HKCU\Software\Wine' /v Version 2>/dev/null || true; } | tr -d '\r' |
    awk '$1 == "Version" { print $3 }' >"$saved.new/version"
if [ -f "$viewer" ]; then cp "$viewer" "$saved.new/hh.exe"; fi
mv "$saved.new" "$saved"
trap 'gui_cleanup; restore_prefix' EXIT

# Wine's own viewer is built in: the recorder in its place is loaded only with this override. A
# second recorder in the current directory would answer a viewer looked up on the search path.
cp "$WINDOWS_BUILD/record_command.exe" "$viewer"
cp "$WINDOWS_BUILD/record_command.exe" "$WORK/hh.exe"
cd "$WORK"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;hh.exe=n"
export KORVIF_TEST_RECORD KORVIF_TRACE
KORVIF_TEST_RECORD=$(winpath "$WORK/record.txt")
KORVIF_TRACE=$(winpath "$WORK/trace.txt")
set_version win7

# The help files; an en dash (0x96 in the host's code page, U+2013) in the directory's name.
help="$WORK/Fax – Hilfe, neu"
mkdir -p "$help"
printf 'old help' >"$help/Fax Hilfe.hlp"
printf 'new help' >"$help/Fax Hilfe.chm"
printf 'new help' >"$help/nur.chm"
short=$(winepath -s "$(winpath "$help/Fax Hilfe.hlp")" 2>/dev/null | tr -d '\r')
case "$short" in *"~"*) ;; *) fail "no short name for the help file: '$short'" ;; esac
host_path() { iconv -f UTF-8 -t CP1252 <<<"$(winpath "$1")"; }
# The trace is in the host's code page, not in UTF-8.
trace_has() { LC_ALL=C grep -aq "$1" "$WORK/trace.txt"; }

start_host "run HELP:{HOST},2,0,$(host_path "$help/Fax Hilfe.hlp")" \
    "run HELP:{HOST},1,42,$(host_path "$help/Fax Hilfe.hlp")" \
    "run HELP:{HOST},1,7,$short" \
    "run HELP:{HOST},1,-1,$(host_path "$help/Fax Hilfe.hlp")>proc4" \
    "run HELP:{HOST},11,5,$(host_path "$help/Fax Hilfe.hlp")" \
    "run HELP:{HOST},8,3,$(host_path "$help/nur.hlp")"
finish_host 60
[ "$(log_count '^exit 0$')" = 6 ] || fail "not every HELP ended with exit code 0: $(cat "$WORK/host.log")"
# Each viewer runs on its own, in any order: wait for the five records.
for _ in $(seq 100); do
    [ "$(grep -c '^command ' "$WORK/record.txt" 2>/dev/null)" = 5 ] && break
    sleep 0.2
done
sleep 1
chm=$(winpath "$help/Fax Hilfe.chm")
for command in "-mapid 42 \"$chm\"" "-mapid 7 \"$chm\"" "-mapid 4294967295 \"$chm\"" "\"$chm\"" \
    "-mapid 3 \"$(winpath "$help/nur.chm")\""; do
    grep -qxF "command \"C:\\windows\\hh.exe\" $command" "$WORK/record.txt" ||
        fail "the viewer did not get $command: $(cat "$WORK/record.txt" 2>/dev/null)"
done
[ "$(grep -c '^command ' "$WORK/record.txt")" = 5 ] || fail "not five viewers: $(cat "$WORK/record.txt")"
[ "$(grep -cxF 'program C:\windows\hh.exe' "$WORK/record.txt")" = 5 ] ||
    fail "not the viewer in the Windows directory: $(cat "$WORK/record.txt")"
trace_has 'HTML Help: file ".*", command 2 opens no viewer$' || fail "HELP_QUIT: $(cat "$WORK/trace.txt")"
trace_has 'Windows Help: file' && fail "Windows Help had a request: $(cat "$WORK/trace.txt")"

# Windows Help has the request for a help file without a .chm, and on Windows XP: it asks whether
# to look for the missing file, and No lets the request finish.
windows_help() {
    : >"$WORK/trace.txt"
    start_host "run HELP:{HOST},1,42,$(host_path "$1")"
    wait_for_log '^started HELP' 30
    finish_host_answering_no
    grep -q '^exit 0$' "$WORK/host.log" || fail "HELP with $1: $(cat "$WORK/host.log")"
    trace_has "^\[[0-9]*\] Windows Help: file \".*\", command 1, data 42: " ||
        fail "HELP with $1 did not go to Windows Help: $(cat "$WORK/trace.txt")"
    timeout 20 wineserver -k >/dev/null 2>&1 || true
}
windows_help "$help/ohne.hlp"
set_version winxp
windows_help "$help/nur.hlp"
[ "$(grep -c '^command ' "$WORK/record.txt")" = 5 ] || fail "a viewer started for Windows Help: $(cat "$WORK/record.txt")"
passed
