# korvif32.exe when runs fail half-way, are killed, or run at once on one file: F2S never leaves
# an earlier request's fax behind (also when its document is missing), a killed RES leaves no copy, the next replacement removes only
# old work files of its own pattern that no one holds, and sixteen runs of RES on one document
# beside sixteen readers leave a document that some serial order gives, whole.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"

# F2S: a good request, then one whose page 2 cannot be had: the first request's file must go.
run_windows "F2S:0,1,2,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK")\\"
[ -f "$WORK/~isdnfax.sff" ] || fail "F2S wrote no ~isdnfax.sff"
python3 - "$WORK/doc.kvd" "$WORK/broken.kvd" <<'EOF'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[516:520] = b'\xff\xff\xff\x7f'  # page 2 starts far beyond the file
open(sys.argv[2], 'wb').write(data)
EOF
run_windows "F2S:0,1,2,$(winpath "$WORK/broken.kvd"),$(winpath "$WORK")\\"
[ ! -e "$WORK/~isdnfax.sff" ] || fail "a failed F2S left the earlier request's ~isdnfax.sff"
# The same for a request whose document is missing, in both builds; one cut short before its
# prefix touches nothing.
for program in native windows; do
    printf 'an earlier fax' >"$WORK/~isdnfax.sff"
    if [ $program = native ]; then run_native "F2S:0,1,2,$WORK/doc.kvd"; else run_windows "F2S:0,1,2,$(winpath "$WORK/doc.kvd")"; fi
    [ -e "$WORK/~isdnfax.sff" ] || fail "$program: F2S cut short before its prefix removed ~isdnfax.sff"
    if [ $program = native ]; then
        run_native "F2S:0,1,2,$WORK/missing.kvd,$WORK/"
    else
        run_windows "F2S:0,1,2,$(winpath "$WORK/missing.kvd"),$(winpath "$WORK")\\"
    fi
    [ ! -e "$WORK/~isdnfax.sff" ] || fail "$program: F2S of a missing document left the earlier request's ~isdnfax.sff"
done

# A long document of dense pages (a checkerboard, every run one pixel), for runs long enough to be
# caught half-way.
pbmmake -gray 1728 1100 | ppmtobmp -bpp 1 >"$WORK/dense.bmp" 2>/dev/null
run_native "D2F:1,$WORK/dense.bmp,$WORK/dense.g3"
python3 - "$WORK/dense.g3" "$WORK/long.kvd" 60 <<'EOF'
import struct, sys
page = open(sys.argv[1], 'rb').read()
count = int(sys.argv[3])
document = bytearray(1536)
document[0:32] = b'Korvane         3.0             '
document[32] = 2
document[288] = count
for n in range(count):
    document[512 + 4 * n:516 + 4 * n] = struct.pack('<I', 1536 + n * len(page))
open(sys.argv[2], 'wb').write(bytes(document) + page * count)
EOF

# RES ended from outside (as the host's TerminateProcess does) while it writes: its copy in the
# temporary directory is gone with its handle; its work file stays until it is an hour old.
wine_temp=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
[ -d "$wine_temp" ] || fail "no temporary directory in the prefix: '$wine_temp'"
copies_before=$(find "$wine_temp" -maxdepth 1 -name 'CR*' | wc -l)
mkdir -p "$WORK/killed"
cp "$WORK/long.kvd" "$WORK/killed/long.kvd"
printf '%s %s' "$(winpath "$WINDOWS_BUILD/korvif32.exe")" \
    "RES:$(winpath "$WORK/killed/long.kvd"),$(winpath "$WORK/killed/long.kvd")" >"$WORK/command.txt"
wine "$WINDOWS_BUILD/run_exact.exe" "$(winpath "$WORK/command.txt")" >/dev/null 2>&1 &
launcher=$!
for _ in $(seq 600); do compgen -G "$WORK/killed/~kv*" >/dev/null && break; sleep 0.01; done
compgen -G "$WORK/killed/~kv*" >/dev/null || fail "RES of the long document never began its work file"
pkill -KILL -f 'korvif32.exe RES:' || fail "no RES run to end"
wait "$launcher" || true
timeout 60 wineserver -w || true
cmp -s "$WORK/killed/long.kvd" "$WORK/long.kvd" || fail "the killed RES changed its document"
[ "$(find "$wine_temp" -maxdepth 1 -name 'CR*' | wc -l)" = "$copies_before" ] || fail "the killed RES left its copy in $wine_temp"
fresh=$(cd "$WORK/killed" && ls ~kv*)

# The next replacement in that directory: the killed run's fresh work file stays, old leftovers
# of the work-file pattern go unless held, and nothing else is ever touched.
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/killed/page.bmp"
for name in '~kv0000aaaa.tmp' '~kv0000bbbb.tmp' '~kb0000aaaa.tmp' '~isdnfax.sff' '~ikvd001.kvd' '~kvnotmine.tmp'; do
    printf 'x' >"$WORK/killed/$name"
    touch -d '2 hours ago' "$WORK/killed/$name"
done
marker="$WORK/held.marker"
wine "$WINDOWS_BUILD/hold_file.exe" "$(winpath "$WORK/killed/~kv0000bbbb.tmp")" r "$(winpath "$marker")" >/dev/null 2>&1 &
holder=$!
for _ in $(seq 200); do [ -e "$marker" ] && break; sleep 0.05; done
run_windows "INV:$(winpath "$WORK/killed/page.bmp")"
rm -f "$marker"
wait "$holder" || true
left=$(cd "$WORK/killed" && ls -A | sort | tr '\n' ' ')
expected=$(printf '%s\n' long.kvd page.bmp "$fresh" '~kv0000bbbb.tmp' '~kb0000aaaa.tmp' '~isdnfax.sff' '~ikvd001.kvd' '~kvnotmine.tmp' | sort | tr '\n' ' ')
[ "$left" = "$expected" ] || fail "after the clean-up: '$left', expected '$expected'"

# Sixteen RES runs in place on one document while sixteen F2D runs read it.
mkdir -p "$WORK/race"
cp "$WORK/doc.kvd" "$WORK/race/doc.kvd"
states=("$WORK/race-state-0.kvd")
cp "$WORK/doc.kvd" "${states[0]}"
for n in $(seq 16); do
    cp "${states[$((n - 1))]}" "$WORK/race-state-$n.kvd"
    run_native "RES:$WORK/race-state-$n.kvd,$WORK/race-state-$n.kvd"
    states+=("$WORK/race-state-$n.kvd")
done
export KORVIF_TRACE="$(winpath "$WORK/race.log")"
pids=()
for n in $(seq 16); do
    printf '%s %s' "$(winpath "$WINDOWS_BUILD/korvif32.exe")" "RES:$(winpath "$WORK/race/doc.kvd"),$(winpath "$WORK/race/doc.kvd")" \
        >"$WORK/race-res-$n.txt"
    printf '%s %s' "$(winpath "$WINDOWS_BUILD/korvif32.exe")" "F2D:1,0,$(winpath "$WORK/race/doc.kvd"),$(winpath "$WORK/race/page-$n.bmp")" \
        >"$WORK/race-f2d-$n.txt"
    wine "$WINDOWS_BUILD/run_exact.exe" "$(winpath "$WORK/race-res-$n.txt")" >/dev/null 2>&1 &
    pids+=($!)
    wine "$WINDOWS_BUILD/run_exact.exe" "$(winpath "$WORK/race-f2d-$n.txt")" >/dev/null 2>&1 &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || true; done
unset KORVIF_TRACE
state_of() {
    local state
    for state in "${states[@]}"; do cmp -s "$1" "$state" && return 0; done
    return 1
}
state_of "$WORK/race/doc.kvd" || fail "after sixteen RES runs at once the document is in no serial state"
for n in $(seq 16); do
    if [ ! -f "$WORK/race/page-$n.bmp" ]; then
        run=$(grep -a "F2D:.*page-$n\.bmp" "$WORK/race.log" | head -1 | sed -E 's/^[^[]*\[([0-9]+)\].*/\1/')
        fail "F2D run $n wrote no page while RES ran: $(grep -a "^\[$run\]" "$WORK/race.log" | tr '\n' '|')"
    fi
done
grep -q 'written in place' "$WORK/race.log" && fail "runs of korvif32 pushed each other into writing in place"
leftovers=$(find "$WORK/race" -name '~k*')
[ -z "$leftovers" ] || fail "files left after the race: $leftovers"
passed
