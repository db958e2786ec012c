# S2F through korvif32.exe writes the same fax documents as the native build.
source "$(dirname "$0")/lib.sh"

sample="$SOURCE_DIR/samples/sample.sff"
cp "$sample" "$WORK/in.sff"
head -c 1500 "$sample" >"$WORK/cut.sff"

for name in in cut; do
    run_native "S2F:0,$WORK/$name.sff,$WORK/$name-native.kvd"
    run_windows "S2F:0,$(winpath "$WORK/$name.sff"),$(winpath "$WORK/$name-windows,with comma.kvd")"
    same_file "$WORK/$name-native.kvd" "$WORK/$name-windows,with comma.kvd"
done

# A missing source writes nothing; a keyword in lower case works the same.
run_windows "S2F:0,$(winpath "$WORK/missing.sff"),$(winpath "$WORK/none.kvd")"
[ ! -e "$WORK/none.kvd" ] || fail "a missing source wrote a document"
run_windows "s2f:0,$(winpath "$WORK/in.sff"),$(winpath "$WORK/lower.kvd")"
same_file "$WORK/in-native.kvd" "$WORK/lower.kvd"

# Commands that are not recognised still end with exit code 0.
run_windows ""
run_windows "NOTHING:1,2"
passed
