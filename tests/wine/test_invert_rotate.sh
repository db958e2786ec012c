# INV and ROT through korvif32.exe write the same BMP files as the native build.
source "$(dirname "$0")/lib.sh"

pbmtext 'Korvif 32 - Wine' >"$WORK/text.pbm"
ppmtobmp -bpp 1 "$WORK/text.pbm" >"$WORK/in.bmp" 2>/dev/null

run_native "INV:$WORK/in.bmp,$WORK/inv-native.bmp"
run_windows "INV:$(winpath "$WORK/in.bmp"),$(winpath "$WORK/inv-windows.bmp")"
same_file "$WORK/inv-native.bmp" "$WORK/inv-windows.bmp"

for turns in 0 1 2 3 4 -1; do
    run_native "ROT:$turns,$WORK/in.bmp,$WORK/rot$turns-native.bmp"
    run_windows "ROT:$turns,$(winpath "$WORK/in.bmp"),$(winpath "$WORK/rot$turns-windows.bmp")"
    same_file "$WORK/rot$turns-native.bmp" "$WORK/rot$turns-windows.bmp"
done

# In place: the single path is both input and output.
cp "$WORK/in.bmp" "$WORK/inplace-native.bmp"
cp "$WORK/in.bmp" "$WORK/inplace-windows.bmp"
run_native "INV:$WORK/inplace-native.bmp"
run_windows "INV:$(winpath "$WORK/inplace-windows.bmp")"
run_native "ROT:1,$WORK/inplace-native.bmp"
run_windows "ROT:1,$(winpath "$WORK/inplace-windows.bmp")"
same_file "$WORK/inplace-native.bmp" "$WORK/inplace-windows.bmp"
cmp -s "$WORK/in.bmp" "$WORK/inplace-windows.bmp" && fail "the in-place commands changed nothing"
passed
