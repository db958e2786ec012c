# Shared part of the Wine tests: runs korvif32.exe under 32-bit Wine with an exact command line
# and compares its files with the native build's.
# Usage in a test: source lib.sh NATIVE_PROGRAM WINDOWS_BUILD_DIR WORK_DIR
set -euo pipefail

NATIVE=$1
WINDOWS_BUILD=$2
WORK=$3
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

export WINEPREFIX="$WINDOWS_BUILD/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# Wine takes the ANSI code page from the locale: the tests pin it to 1252 (a Polish locale would
# put "Ł" into the code page, and the tests of names outside it would prove nothing).
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ -f "$WINDOWS_BUILD/korvif32.exe" ] || fail "$WINDOWS_BUILD/korvif32.exe is missing: build the windows preset first"
[ -f "$WINDOWS_BUILD/run_exact.exe" ] || fail "$WINDOWS_BUILD/run_exact.exe is missing"
rm -rf "$WORK"
mkdir -p "$WORK"

# The private prefix is made once; concurrent tests wait for it.
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        timeout 300 wineboot -i >/dev/null 2>&1 || true
        timeout 120 wineserver -w || true
    fi
) 9>"$WINDOWS_BUILD/wineprefix.lock"
[ -f "$WINEPREFIX/system.reg" ] || fail "wineboot did not set up $WINEPREFIX"

# The Windows name of a Linux path, through Wine's Z: drive.
winpath() {
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}

# Starts the exact command line given (the program's path and the command); the exit code must
# be 0, and a run ended from outside after 120 seconds is a failure.
run_line() {
    local line=$1
    printf '%s' "$line" >"$WORK/command.txt"
    local code=0
    timeout 120 wine "$WINDOWS_BUILD/run_exact.exe" "$(winpath "$WORK/command.txt")" >"$WORK/launcher.log" 2>&1 || code=$?
    grep -q '^exit code 0' "$WORK/launcher.log" || fail "$line: exit status $code ($(cat "$WORK/launcher.log"))"
}

# Runs korvif32.exe with the exact command text given.
run_windows() {
    run_line "$(winpath "$WINDOWS_BUILD/korvif32.exe") $1"
}

run_native() {
    "$NATIVE" "$1" || fail "korvif32 $1: exit status $?"
}

same_file() {
    [ -f "$1" ] || fail "$1 was not written"
    [ -f "$2" ] || fail "$2 was not written"
    cmp "$1" "$2" || fail "$1 and $2 differ"
}

passed() {
    echo "passed: $(basename "$0")"
}
