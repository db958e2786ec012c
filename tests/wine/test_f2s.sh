# F2S through korvif32.exe, with a header strip file, writes the same SFF file as the native build.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
mkdir -p "$WORK/native" "$WORK/windows"
# The strip for page 2: the first page's data, as D2F writes it.
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/page1.bmp"
run_native "D2F:0,$WORK/page1.bmp,$WORK/native/~ikvd002.kvd"
cp "$WORK/native/~ikvd002.kvd" "$WORK/windows/~ikvd002.kvd"

run_native "F2S:0,1,255,$WORK/doc.kvd,$WORK/native/"
run_windows "F2S:0,1,255,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/windows")\\"
same_file "$WORK/native/~isdnfax.sff" "$WORK/windows/~isdnfax.sff"

run_native "F2S:0,2,2,$WORK/doc.kvd,$WORK/native/page2-"
run_windows "F2S:0,2,2,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/windows")\\page2-"
same_file "$WORK/native/page2-~isdnfax.sff" "$WORK/windows/page2-~isdnfax.sff"
passed
