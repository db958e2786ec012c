# Generated comparison of the two builds: the same file commands, run by the native program with
# Linux paths and by korvif32.exe with Windows paths ('\', '/' and both mixed, absolute and bare
# names), over names with blanks, commas and an "ä" (cp1252 on the Windows command line),
# sub-directories, missing files and wildcards; inputs whose full paths pass 260 characters; a
# program path in quotes. Every file either program writes must be the same, and neither may
# leave anything else behind.
source "$(dirname "$0")/lib.sh"

SEED="$WORK/seed"
mkdir -p "$SEED"
cp "$SOURCE_DIR/samples/sample.sff" "$SEED/in.sff"
head -c 1500 "$SEED/in.sff" >"$SEED/cut.sff"
run_native "S2F:0,$SEED/in.sff,$SEED/doc.kvd"
run_native "F2D:1,0,$SEED/doc.kvd,$SEED/page.bmp"
run_native "SCL:0,432,300,$SEED/page.bmp,$SEED/small.bmp"
# A 1-bit BMP from another writer than ours.
pbmtext 'Korvif 32 - Wine' | ppmtobmp -bpp 1 >"$SEED/text.bmp" 2>/dev/null

DIRS=("" "sub dir/" "Ordner ä/")
KVD_NAMES=("doc.kvd" "Fax Dokument.kvd" "Bestätigung.kvd")
OUT_NAMES=("out" "Ausgabe ä" "a,b")
# {kvd} {page} {small} {sff} {cut} {text} are inputs, {out} the output's path without extension,
# {dir} the directory. " | " joins commands run one after the other in the same case.
# Run in every directory, separator style and name variant: the cases about paths.
TEMPLATES=(
    "S2F:0,{sff},{out}.kvd"
    "F2D:2,1,{kvd},{out}.bmp"
    "F2D:1,0,{kvd},*p.bmp"
    "INV:{small},{out}.bmp"
    "INV:{small}"
    "ROT:3,{small},{out}.bmp"
    "SCL:3,100,80,{small},{out}.bmp"
    "SCL:0,50,40,{small},*s.bmp"
    "D2F:1,{page},{out}.g3"
    "RES:{kvd},{out}.kvd"
    "RES:{kvd},{kvd}"
    "F2S:0,1,2,{kvd},{dir}"
    "F2S:0,2,2,{kvd},{dir}page2-"
    "F2P:1,2,{kvd},{out}.pdf"
    "F2T:1,9,{kvd},*t.tif"
    "RES:{dir}missing.kvd,{out}.kvd"
    "INV:{dir}sm*.bmp,{out}.bmp"
)
# Run once, with an absolute '\' path into a sub-directory: the cases about contents and fields.
ONCE=(
    "S2F:0,{cut},{out}.kvd"
    "S2F:0,{dir}missing.sff,{out}.kvd"
    "s2f:0,{sff},{out}.kvd"
    ""
    "NOTHING:1,2"
    "F2D:"{0,2,3}","{0,1}",{kvd},*p.bmp"
    "F2D:1,1,{kvd},*p.bmp"
    # The header strip for page 2: the first page as D2F writes it.
    "D2F:0,{page},{dir}~ikvd002.kvd | F2S:0,1,255,{kvd},{dir}"
    "D2F:0,{page},{out}.g3"
    "INV:{text},{out}.bmp"
    "ROT:"{0,1,2,3,4,-1}",{text},{out}.bmp"
    "INV:{text} | ROT:1,{text}"
    "SCL:"{0,1,3}",172,220,{page},*s.bmp"
    "SCL:0,2000,500,{page},{out}.bmp"
    "F2P:"{0,2,3}",2,{kvd},*p.pdf"
    "F2T:2,1,{kvd},{out}.tif"
    # A fine document coded by RES, a document of a cut SFF file, an output replaced.
    "RES:{kvd},{out}.kvd | F2P:1,2,{out}.kvd,{out}.pdf | F2T:1,2,{out}.kvd,{out}.tif"
    "S2F:0,{cut},{out}.kvd | F2P:1,2,{out}.kvd,{out}.pdf | F2T:1,2,{out}.kvd,{out}.tif"
    "F2T:1,1,{kvd},{out}.tif | F2T:1,2,{kvd},{out}.tif | F2P:2,2,{kvd},{out}.tif"
)

# The command with the case's paths: Linux ones, or Windows ones in a separator style.
fill() {  # template, directory (relative, "" or ending in /), kvd name, out name, style, case root
    local text=$1 dir=$2 root=$6 prefix
    case $5 in
    native) prefix=${dir:+$root/$dir} ;;
    back) prefix=${dir:+$(winpath "$root")\\${dir//\//\\}} ;;
    slash) prefix=${dir:+Z:$root/$dir} ;;
    mixed) prefix=${dir:+$(winpath "$root")\\$dir} ;;
    esac
    text=${text//\{kvd\}/$prefix$3}
    text=${text//\{page\}/${prefix}page.bmp}
    text=${text//\{small\}/${prefix}small.bmp}
    text=${text//\{sff\}/${prefix}in.sff}
    text=${text//\{cut\}/${prefix}cut.sff}
    text=${text//\{text\}/${prefix}text.bmp}
    text=${text//\{out\}/$prefix$4}
    text=${text//\{dir\}/$prefix}
    printf '%s' "$text"
}

set_up() {  # case root, directory, kvd name
    mkdir -p "$1/$2"
    cp "$SEED/doc.kvd" "$1/$2$3"
    cp "$SEED/page.bmp" "$SEED/small.bmp" "$SEED/in.sff" "$SEED/cut.sff" "$SEED/text.bmp" "$1/$2"
}

# Runs one case in $root (kept for the caller) and fails when the two builds' files differ.
cases=0
compare() {  # template, directory, style, variant
    local template=$1 dir=$2 style=$3 variant=$4 native_command windows_command step steps
    cases=$((cases + 1))
    kvd=${KVD_NAMES[$(((cases + variant) % 3))]}
    root="$WORK/case$cases"
    set_up "$root/native" "$dir" "$kvd"
    set_up "$root/windows" "$dir" "$kvd"
    native_command=$(fill "$template" "$dir" "$kvd" "${OUT_NAMES[$variant]}" native "$root/native")
    windows_command=$(fill "$template" "$dir" "$kvd" "${OUT_NAMES[$variant]}" "$style" "$root/windows")
    readarray -t steps <<<"${native_command// | /$'\n'}"
    for step in "${steps[@]}"; do (cd "$root/native" && run_native "$step"); done
    readarray -t steps <<<"${windows_command// | /$'\n'}"
    # The Windows command line is in the ANSI code page.
    for step in "${steps[@]}"; do (cd "$root/windows" && run_windows "$(iconv -f UTF-8 -t CP1252 <<<"$step")"); done
    diff -r "$root/native" "$root/windows" >"$WORK/diff.txt" 2>&1 ||
        fail "case $cases ($style): '$native_command' and '$windows_command' differ: $(head -c 2000 "$WORK/diff.txt")"
}

# RES copies the document into the Windows temporary folder: no copy may stay there.
temp_copies() { find "$WINEPREFIX/drive_c/users" -path '*/Temp/CR*' | wc -l; }
copies_before=$(temp_copies)

for dir in "${DIRS[@]}"; do
    for style in back slash mixed; do
        # A bare name has no separator: one style is enough.
        [ -z "$dir" ] && [ "$style" != back ] && continue
        for template in "${TEMPLATES[@]}"; do
            for variant in 0 1 2; do
                compare "$template" "$dir" "$style" "$variant"
                rm -rf "$root"
            done
        done
    done
done
for template in "${ONCE[@]}"; do
    compare "$template" "sub dir/" back 0
    rm -rf "$root"
done

# RES twice in place gives back the document's fine flag.
compare "RES:{kvd},{kvd} | RES:{kvd},{kvd}" "sub dir/" back 0
flag() { od -An -tu1 -j289 -N1 "$1" | tr -d ' '; }
[ "$(flag "$root/windows/sub dir/$kvd")" = "$(flag "$SEED/doc.kvd")" ] || fail "RES twice did not give back the fine flag"
rm -rf "$root"

# Inputs whose full paths pass 260 characters, read by both builds alike (the outputs go to the
# case's root, as output paths hold at most 255 characters). Written with '/' and a '..', which
# only the system's full path resolves: the long form takes the path as it stands.
long="Lange Namen/$(for n in $(seq 20); do printf 'Verzeichnis-%02d/' "$n"; done)"
for template in "F2D:2,1,{in}doc.kvd,{short}p.bmp" "S2F:0,{in}in.sff,{short}x.kvd" "D2F:1,{in}page.bmp,{short}x.g3" \
    "RES:{in}doc.kvd,{short}x.kvd" "INV:{in}small.bmp,{short}x.bmp" "SCL:0,50,40,{in}small.bmp,{short}s.bmp" \
    "F2S:0,1,2,{in}doc.kvd,{short}"; do
    cases=$((cases + 1))
    root="$WORK/case$cases"
    set_up "$root/native" "${long}x/" doc.kvd
    set_up "$root/windows" "${long}x/" doc.kvd
    native_command=${template//\{in\}/$root/native/${long}x/../x/}
    native_command=${native_command//\{short\}/$root/native/}
    in="Z:$root/windows/${long}x/../x/"
    short="$(winpath "$root/windows")\\"
    windows_command=${template//\{in\}/$in}
    windows_command=${windows_command//\{short\}/$short}
    (cd "$root/native" && run_native "$native_command")
    (cd "$root/windows" && run_windows "$windows_command")
    diff -r "$root/native" "$root/windows" >"$WORK/diff.txt" 2>&1 || fail "long inputs, '$template': $(head -c 2000 "$WORK/diff.txt")"
    rm -rf "$root"
done

# A host installed under "C:\Program Files\..." quotes the program's path: the command after it
# runs all the same.
cases=$((cases + 1))
root="$WORK/case$cases"
set_up "$root/native" "" doc.kvd
set_up "$root/windows" "" doc.kvd
mkdir -p "$root/Program Files"
cp "$WINDOWS_BUILD/korvif32.exe" "$root/Program Files/"
(cd "$root/native" && run_native "F2D:1,0,$root/native/doc.kvd,$root/native/p.bmp")
run_line "\"$(winpath "$root/Program Files/korvif32.exe")\" F2D:1,0,$(winpath "$root/windows/doc.kvd"),$(winpath "$root/windows/p.bmp")"
diff -r "$root/native" "$root/windows" >"$WORK/diff.txt" 2>&1 || fail "a quoted program path: $(head -c 2000 "$WORK/diff.txt")"
rm -rf "$root"

[ "$(temp_copies)" = "$copies_before" ] || fail "RES left its copy in the temporary folder"
echo "cases compared: $cases"
passed
