# Generated comparison of the two builds: the same file commands, run by the native program with
# Linux paths and by korvif32.exe with Windows paths ('\', '/' and both mixed, absolute and bare
# names), over names with blanks, commas and an "ä" (cp1252 on the Windows command line),
# sub-directories, missing files and wildcards. Every file either program writes must be the
# same, and neither may leave anything else behind.
source "$(dirname "$0")/lib.sh"

SEED="$WORK/seed"
mkdir -p "$SEED"
cp "$SOURCE_DIR/samples/sample.sff" "$SEED/in.sff"
run_native "S2F:0,$SEED/in.sff,$SEED/doc.kvd"
run_native "F2D:1,0,$SEED/doc.kvd,$SEED/page.bmp"
run_native "SCL:0,432,300,$SEED/page.bmp,$SEED/small.bmp"

DIRS=("" "sub dir/" "Ordner ä/")
KVD_NAMES=("doc.kvd" "Fax Dokument.kvd" "Bestätigung.kvd")
OUT_NAMES=("out" "Ausgabe ä" "a,b")
# {kvd} {page} {small} {sff} are inputs, {out} the output's path without extension, {dir} the directory.
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
    "RES:{dir}missing.kvd,{out}.kvd"
    "INV:{dir}sm*.bmp,{out}.bmp"
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
    text=${text//\{out\}/$prefix$4}
    text=${text//\{dir\}/$prefix}
    printf '%s' "$text"
}

set_up() {  # case root, directory, kvd name
    mkdir -p "$1/$2"
    cp "$SEED/doc.kvd" "$1/$2$3"
    cp "$SEED/page.bmp" "$SEED/small.bmp" "$SEED/in.sff" "$1/$2"
}

cases=0
index=0
for dir in "${DIRS[@]}"; do
    for style in back slash mixed; do
        # A bare name has no separator: one style is enough.
        [ -z "$dir" ] && [ "$style" != back ] && continue
        for template in "${TEMPLATES[@]}"; do
            # "*" stands for the input's directory up to its last '\' only: with '/' paths the
            # two builds differ by design.
            [[ $template == *'*'* && $style != back && -n $dir ]] && continue
            for variant in 0 1 2; do
                index=$((index + 1))
                kvd=${KVD_NAMES[$(((index + variant) % 3))]}
                out=${OUT_NAMES[$variant]}
                root="$WORK/case$index"
                set_up "$root/native" "$dir" "$kvd"
                set_up "$root/windows" "$dir" "$kvd"
                native_command=$(fill "$template" "$dir" "$kvd" "$out" native "$root/native")
                windows_command=$(fill "$template" "$dir" "$kvd" "$out" "$style" "$root/windows")
                (cd "$root/native" && run_native "$native_command")
                # The Windows command line is in the ANSI code page.
                (cd "$root/windows" && run_windows "$(iconv -f UTF-8 -t CP1252 <<<"$windows_command")")
                diff -r "$root/native" "$root/windows" >"$WORK/diff.txt" 2>&1 ||
                    fail "case $index ($style): '$native_command' and '$windows_command' differ: $(head -c 2000 "$WORK/diff.txt")"
                rm -rf "$root"
                cases=$((cases + 1))
            done
        done
    done
done
echo "cases compared: $cases"
passed
