# SCL through korvif32.exe, both methods, writes the same BMP files as the native build.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/page.bmp"
for flags in 0 1 3; do
    run_native "SCL:$flags,172,220,$WORK/page.bmp,$WORK/s$flags-native.bmp"
    run_windows "SCL:$flags,172,220,$(winpath "$WORK/page.bmp"),*s$flags-windows.bmp"
    same_file "$WORK/s$flags-native.bmp" "$WORK/s$flags-windows.bmp"
done
run_native "SCL:0,2000,500,$WORK/page.bmp,$WORK/big-native.bmp"
run_windows "SCL:0,2000,500,$(winpath "$WORK/page.bmp"),$(winpath "$WORK/big-windows.bmp")"
same_file "$WORK/big-native.bmp" "$WORK/big-windows.bmp"
passed
