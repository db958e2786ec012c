# korvif32.exe imports only functions of the reviewed list in tests/data/xp_imports.txt (all of
# them present on Windows XP SP3), and is marked for Windows XP (subsystem and OS version 5.1).
set -euo pipefail
WINDOWS_BUILD=$2
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
EXE="$WINDOWS_BUILD/korvif32.exe"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ -f "$EXE" ] || fail "$EXE is missing: build the windows preset first"

headers=$(i686-w64-mingw32-objdump -p "$EXE")
for field in MajorSubsystemVersion MajorOSystemVersion; do
    grep -qE "^$field[[:space:]]+5$" <<<"$headers" || fail "$field is not 5"
done
for field in MinorSubsystemVersion MinorOSystemVersion; do
    grep -qE "^$field[[:space:]]+1$" <<<"$headers" || fail "$field is not 1"
done

imports=$(awk -F'\t' '/DLL Name/ { split($2, a, ": "); dll = toupper(a[2]); next }
                      /^\t[0-9a-f]+\t/ { n = split($3, b, " "); print dll " " b[n] }' <<<"$headers" | sort -u)
[ -n "$imports" ] || fail "no imports read from $EXE"
unknown=$(comm -23 <(echo "$imports") <(grep -v '^#' "$SOURCE_DIR/tests/data/xp_imports.txt" | sort -u))
[ -z "$unknown" ] || fail "imports not in the reviewed list (check each against Windows XP SP3): $unknown"
i686-w64-mingw32-objdump -h "$EXE" | grep -q '\.debug' && fail "the program is not stripped"
echo "passed: $(basename "$0") ($(wc -l <<<"$imports") imports)"
