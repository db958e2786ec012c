# korvif32.exe replacing files that other programs hold open, that are read-only or hidden, or
# that the host names by their 8.3 short names.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/page.bmp"
run_native "SCL:0,432,300,$WORK/page.bmp,$WORK/small.bmp"
cp "$WORK/doc.kvd" "$WORK/res-expected.kvd"
run_native "RES:$WORK/res-expected.kvd,$WORK/res-expected.kvd"
cp "$WORK/small.bmp" "$WORK/inv-expected.bmp"
run_native "INV:$WORK/inv-expected.bmp"

# Runs a command while hold_file.exe holds FILE open with the sharing given.
run_while_held() {  # file, sharing, command
    local marker="$WORK/held.marker"
    rm -f "$marker"
    wine "$WINDOWS_BUILD/hold_file.exe" "$(winpath "$1")" "$2" "$(winpath "$marker")" >"$WORK/hold.log" 2>&1 &
    local holder=$!
    for _ in $(seq 200); do [ -e "$marker" ] && break; sleep 0.05; done
    [ -e "$marker" ] || fail "hold_file.exe did not open $1 ($(cat "$WORK/hold.log"))"
    run_windows "$3"
    rm -f "$marker"
    wait "$holder" || fail "hold_file.exe failed"
}

# A viewer or scanner that shares reading and writing: the file is updated (in place, as the
# one-step replace is refused without delete sharing); with delete sharing too, replaced; one
# that shares reading only: the file stays as it was.
for sharing in rw rwd r; do
    cp "$WORK/doc.kvd" "$WORK/held.kvd"
    run_while_held "$WORK/held.kvd" "$sharing" "RES:$(winpath "$WORK/held.kvd"),$(winpath "$WORK/held.kvd")"
    cp "$WORK/small.bmp" "$WORK/held.bmp"
    run_while_held "$WORK/held.bmp" "$sharing" "INV:$(winpath "$WORK/held.bmp")"
    if [ "$sharing" = r ]; then
        same_file "$WORK/held.kvd" "$WORK/doc.kvd"
        same_file "$WORK/held.bmp" "$WORK/small.bmp"
    else
        same_file "$WORK/held.kvd" "$WORK/res-expected.kvd"
        same_file "$WORK/held.bmp" "$WORK/inv-expected.bmp"
    fi
    leftovers=$(find "$WORK" -name '~k[vb]*')
    [ -z "$leftovers" ] || fail "work files left with sharing $sharing: $leftovers"
done

# A read-only document is not replaced; a hidden one is, and stays hidden.
attributes() { wine cmd /c attrib "$(winpath "$1")" 2>/dev/null | tr -d '\r'; }
cp "$WORK/doc.kvd" "$WORK/readonly.kvd"
wine cmd /c attrib +r "$(winpath "$WORK/readonly.kvd")" >/dev/null 2>&1
run_windows "RES:$(winpath "$WORK/readonly.kvd"),$(winpath "$WORK/readonly.kvd")"
same_file "$WORK/readonly.kvd" "$WORK/doc.kvd"
cp "$WORK/doc.kvd" "$WORK/hidden.kvd"
wine cmd /c attrib +h "$(winpath "$WORK/hidden.kvd")" >/dev/null 2>&1
attributes "$WORK/hidden.kvd" | grep -q '^ *[A-Z ]*H' || fail "attrib +h did not take: $(attributes "$WORK/hidden.kvd")"
run_windows "RES:$(winpath "$WORK/hidden.kvd"),$(winpath "$WORK/hidden.kvd")"
same_file "$WORK/hidden.kvd" "$WORK/res-expected.kvd"
attributes "$WORK/hidden.kvd" | grep -q '^ *[A-Z ]*H' || fail "the replaced document lost its hidden attribute: $(attributes "$WORK/hidden.kvd")"

# Named by its short name, the document keeps its long name.
mkdir -p "$WORK/Eigene Dokumente"
cp "$WORK/doc.kvd" "$WORK/Eigene Dokumente/Rechnung Januar.kvd"
short=$(winepath -s "$(winpath "$WORK/Eigene Dokumente/Rechnung Januar.kvd")" 2>/dev/null | tr -d '\r')
case "$short" in *"~"*) ;; *) fail "no short name for the document: '$short'" ;; esac
run_windows "RES:$short,$short"
same_file "$WORK/Eigene Dokumente/Rechnung Januar.kvd" "$WORK/res-expected.kvd"
[ "$(ls "$WORK/Eigene Dokumente")" = "Rechnung Januar.kvd" ] || fail "other files appeared: $(ls "$WORK/Eigene Dokumente")"
passed
