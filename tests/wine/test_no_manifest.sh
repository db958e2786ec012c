# korvif32.exe carries no application manifest, and neither its file name nor its version texts
# hold a word (install, setup, update, patch) that makes Windows take an unmanifested program for
# an installer and ask for elevation. Unmanifested, the helper shares the file virtualisation of
# the unmanifested 32-bit host (documents under Program Files are redirected for both); an
# asInvoker manifest, which some mingw-w64 toolchains link by default, would make it read and
# write other files than the host does.
set -euo pipefail
WINDOWS_BUILD=$2
EXE="$WINDOWS_BUILD/korvif32.exe"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ -f "$EXE" ] || fail "$EXE is missing: build the windows preset first"

# The resource types at the top of the resource directory; 24 (0x18) is RT_MANIFEST.
types=$(i686-w64-mingw32-objdump -p "$EXE" | sed -n '/The .rsrc Resource Directory section/,$p' |
        sed -nE 's/^[0-9a-f]{3}   Entry: ID: 0x([0-9a-f]+),.*/\1/p')
grep -qx 000010 <<<"$types" || fail "no version information read from $EXE (types: $types)"
grep -qx 000018 <<<"$types" && fail "$EXE carries an application manifest"

# The version texts: the UTF-16 strings of the version resource, names and values.
texts=$(strings -el "$EXE" | sed -n '/^VS_VERSION_INFO$/,/^Translation$/p')
grep -qx 'FileDescription' <<<"$texts" || fail "the version texts were not found in $EXE"
for word in install setup update patch; do
    if found=$(grep -i "$word" <<<"$(basename "$EXE")
$texts"); then
        fail "'$found' holds '$word', which makes Windows ask for elevation"
    fi
done
echo "passed: $(basename "$0")"
