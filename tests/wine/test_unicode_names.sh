# Files and folders whose names hold letters outside the ANSI code page (Polish, Cyrillic, Greek,
# CJK), reached by their 8.3 short names as an ANSI host must reach them: every file command acts
# on exactly the file named, a "best fit" twin beside it (Lukasz beside Łukasz) stays byte for
# byte, no work file remains, and the results are those of the native program on the same names.
source "$(dirname "$0")/lib.sh"

acp=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null | tr -d '\r' |
      awk '$1 == "ACP" { print $3 }')
[ "$acp" = 1252 ] || fail "the prefix's ANSI code page is '$acp', not 1252: the twin cases would prove nothing"

SEED="$WORK/seed"
mkdir -p "$SEED"
run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$SEED/doc.kvd"
run_native "F2D:1,0,$SEED/doc.kvd,$SEED/page.bmp"

# {kvd} {bmp} {sff} are the files named N.*, {dir} their folder with its separator.
STEPS=(
    "D2F:1,{bmp},{dir}d2f.g3"
    "F2D:2,1,{kvd},{dir}f2d.bmp"
    "ROT:3,{bmp},{dir}rot.bmp"
    "SCL:3,100,80,{bmp},{dir}scl.bmp"
    "INV:{bmp}"
    "RES:{kvd},{dir}res.kvd"
    "RES:{kvd},{kvd}"
    "F2S:0,1,1,{kvd},{dir}"
    "S2F:0,{sff},{dir}s2f.kvd"
    "F2S:0,1,2,{kvd},{dir}"
    "S2F:0,{sff},{kvd}"
)

set_up() {  # folder, name
    mkdir -p "$1"
    cp "$SEED/doc.kvd" "$1/$2.kvd"
    cp "$SEED/page.bmp" "$1/$2.bmp"
    cp "$SOURCE_DIR/samples/sample.sff" "$1/$2.sff"
}

short_name() {  # Linux path: the Windows short path
    local short
    short=$(winepath -s "$(winpath "$1")" 2>/dev/null | tr -d '\r')
    case "$short" in *"~"*) printf '%s' "$short" ;; *) fail "no short name for $1: '$short'" ;; esac
}

fill() {  # step, kvd, bmp, sff, dir
    local text=$1
    text=${text//\{kvd\}/$2}
    text=${text//\{bmp\}/$3}
    text=${text//\{sff\}/$4}
    printf '%s' "${text//\{dir\}/$5}"
}

cases=0
for name in "Łukasz" "Счёт январь" "Λογαριασμός" "請求書"; do
    ref="$WORK/native/$name" win="$WORK/windows/$name"
    set_up "$ref" "$name"
    set_up "$win" "$name"
    twin=""
    if [ "$name" = "Łukasz" ]; then
        # The names that code page 1252's best fit makes of the Polish ones, as files and as a folder.
        twin=Lukasz
        set_up "$ref" "$twin"
        set_up "$win" "$twin"
        set_up "$WORK/windows/$twin" "$twin"
        cp -r "$WORK/windows/$twin" "$WORK/twin-before"
    fi
    dir=$(short_name "$win")
    for step in "${STEPS[@]}"; do
        run_native "$(fill "$step" "$ref/$name.kvd" "$ref/$name.bmp" "$ref/$name.sff" "$ref/")"
        command=$(fill "$step" "$(short_name "$win/$name.kvd")" "$(short_name "$win/$name.bmp")" \
                                "$(short_name "$win/$name.sff")" "$dir\\")
        run_windows "$command"
        diff -r "$ref" "$win" >"$WORK/diff.txt" 2>&1 ||
            fail "$name: '$step' as '$command' differs from the native run: $(head -c 2000 "$WORK/diff.txt")"
        cases=$((cases + 1))
    done
    if [ -n "$twin" ]; then
        diff -r "$WORK/twin-before" "$WORK/windows/$twin" || fail "the twin folder $twin changed"
    fi
done
leftovers=$(find "$WORK/windows" -name '~kv*')
[ -z "$leftovers" ] || fail "work files left: $leftovers"
echo "steps compared: $cases"
passed
