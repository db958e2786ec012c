# F2D through korvif32.exe writes the same BMP files as the native build; "*" completes from the
# document's directory with the backslash.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
doc=$(winpath "$WORK/doc.kvd")

for page in 0 1 2; do
    for options in 0 1; do
        run_native "F2D:$page,$options,$WORK/doc.kvd,$WORK/p$page-$options-native.bmp"
        run_windows "F2D:$page,$options,$doc,*p$page-$options-windows.bmp"
        same_file "$WORK/p$page-$options-native.bmp" "$WORK/p$page-$options-windows.bmp"
    done
done

# A page beyond the document writes nothing.
run_windows "F2D:3,0,$doc,*p3.bmp"
[ ! -e "$WORK/p3.bmp" ] || fail "page 3 of a two-page document was written"
passed
