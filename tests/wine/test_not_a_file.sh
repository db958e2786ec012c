# korvif32.exe given paths that name something other than a plain file. An existing folder with
# files in it, as the output of every command that writes one and as F2S's ~isdnfax.sff, stays
# with its files, and nothing of the program's own (~k*) is left. A serial port that never sends
# a byte (COM5 of the test prefix, a pseudo-terminal whose other end this test holds open), as
# the input of every command, is never opened, and a Unix link to it or to /dev/zero is refused
# once opened: each run ends (a run ended from outside after a generous while is a failure) and
# writes nothing.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/page.bmp"
run_native "SCL:0,432,300,$WORK/page.bmp,$WORK/small.bmp"
cp "$SOURCE_DIR/samples/sample.sff" "$WORK/in.sff"
w=$(winpath "$WORK")

# Folders as outputs: refused before a work file is made (the replace's own check of the target
# comes later, and would hide a missing first one).
mkdir -p "$WORK/Letters" "$WORK/f2s/~isdnfax.sff"
printf 'a letter' >"$WORK/Letters/a.txt"
printf 'a letter' >"$WORK/f2s/~isdnfax.sff/a.txt"
export KORVIF_TRACE="$w\\folders.log"
for command in "INV:$w\\small.bmp,$w\\Letters" "ROT:1,$w\\small.bmp,$w\\Letters" "SCL:0,50,40,$w\\small.bmp,$w\\Letters" \
    "F2D:1,0,$w\\doc.kvd,$w\\Letters" "RES:$w\\doc.kvd,$w\\Letters" "S2F:0,$w\\in.sff,$w\\Letters" \
    "D2F:0,$w\\page.bmp,$w\\Letters" "F2S:0,1,2,$w\\doc.kvd,$w\\f2s\\"; do
    rm -f "$WORK/folders.log"
    run_windows "$command"
    grep -q 'is a folder' "$WORK/folders.log" || fail "$command: the trace does not say why: $(cat "$WORK/folders.log")"
    if grep -q 'opened .*~kv' "$WORK/folders.log"; then fail "$command made a work file: $(cat "$WORK/folders.log")"; fi
    for folder in "$WORK/Letters" "$WORK/f2s/~isdnfax.sff"; do
        [ -d "$folder" ] || fail "$command: $folder is no folder any more"
        [ "$(ls -A "$folder")" = a.txt ] && [ "$(cat "$folder/a.txt")" = 'a letter' ] ||
            fail "$command: $folder holds $(ls -A "$folder")"
    done
    leftovers=$(find "$WORK" -name '~k*')
    [ -z "$leftovers" ] || fail "$command left $leftovers"
done
unset KORVIF_TRACE

# A serial port whose other end never sends: the pseudo-terminal's master stays open in a
# process of this test, ended by its id.
python3 -c 'import os, sys, time
master, slave = os.openpty()
print(os.ttyname(slave), flush=True)
time.sleep(3600)' >"$WORK/pty.txt" &
pty_holder=$!
port="$WINEPREFIX/dosdevices/com5"
trap 'kill "$pty_holder" 2>/dev/null || true; rm -f "$port"' EXIT
for _ in $(seq 100); do [ -s "$WORK/pty.txt" ] && break; sleep 0.05; done
pts=$(cat "$WORK/pty.txt")
[ -c "$pts" ] || fail "no pseudo-terminal: '$pts'"
rm -f "$port"
ln -s "$pts" "$port"

export KORVIF_TRACE="$w\\ports.log"
mkdir -p "$WORK/out"
o=$(winpath "$WORK/out")
# Unix links in the work folder to the pseudo-terminal and to /dev/zero pass the name rule: the
# opened handle's type refuses them.
ln -s "$pts" "$WORK/port.kvd"
ln -s /dev/zero "$WORK/zero.kvd"
for input in COM5 'com5.kvd' '\\.\COM5' "$w\\com5" '\\?\COM5' "$w\\port.kvd" "$w\\zero.kvd"; do
    for command in "S2F:0,$input,$o\\x.kvd" "F2D:1,0,$input,$o\\x.bmp" "D2F:0,$input,$o\\x.g3" "INV:$input,$o\\x.bmp" \
        "RES:$input,$o\\x.kvd" "F2S:0,1,2,$input,$o\\"; do
        run_windows "$command"  # ended from outside after 120 seconds: a failure
        [ -z "$(ls -A "$WORK/out")" ] || fail "$command wrote $(ls -A "$WORK/out")"
    done
done
unset KORVIF_TRACE
grep -q 'COM5" names a device or a pipe, not a file' "$WORK/ports.log" || fail "the trace does not say why: $(cat "$WORK/ports.log")"
passed
