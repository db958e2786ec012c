# D2F and RES (to another file and in place) through korvif32.exe write the same files as the
# native build.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/page.bmp"

for resolution in 0 1; do
    run_native "D2F:$resolution,$WORK/page.bmp,$WORK/d2f$resolution-native.g3"
    run_windows "D2F:$resolution,$(winpath "$WORK/page.bmp"),$(winpath "$WORK/d2f$resolution-windows.g3")"
    same_file "$WORK/d2f$resolution-native.g3" "$WORK/d2f$resolution-windows.g3"
done

run_native "RES:$WORK/doc.kvd,$WORK/res-native.kvd"
run_windows "RES:$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/res-windows.kvd")"
same_file "$WORK/res-native.kvd" "$WORK/res-windows.kvd"

cp "$WORK/res-native.kvd" "$WORK/inplace-native.kvd"
cp "$WORK/res-native.kvd" "$WORK/inplace-windows.kvd"
run_native "RES:$WORK/inplace-native.kvd,$WORK/inplace-native.kvd"
run_windows "RES:$(winpath "$WORK/inplace-windows.kvd"),$(winpath "$WORK/inplace-windows.kvd")"
same_file "$WORK/inplace-native.kvd" "$WORK/inplace-windows.kvd"
flag() { od -An -tu1 -j289 -N1 "$1" | tr -d ' '; }
[ "$(flag "$WORK/inplace-windows.kvd")" = "$(flag "$WORK/doc.kvd")" ] || fail "RES twice did not give back the fine flag"
[ ! -e "$WORK/~inplace-windows.kvd" ] || fail "the work file was left behind"
ls "$WINEPREFIX/drive_c/users/"*/Temp/CR* 2>/dev/null && fail "the temporary copy was left behind"
passed
