#!/usr/bin/env bash
# The mutation run: puts each fault of tests/mutants.txt (a limit moved by one, a rule dropped, a
# recovery step skipped) into a copy of the tree, one at a time, builds it and runs the tests that
# need no Wine. A fault that no test notices ("survived") is a rule that no test holds. Run it by
# hand before a rule is called done, not in CI: up to a minute a fault on two cores.
#
#   scripts/mutants.sh           every fault of the list
#   scripts/mutants.sh 12 30     the faults on those lines of the list
#
# The copy is the working tree as it stands, committed or not, in build/mutants (or
# $KORVIF_MUTANTS_DIR); it is kept, so that a later run builds only what changed. Its build is the
# native-debug preset (AddressSanitizer, UndefinedBehaviorSanitizer); each test may take
# $KORVIF_MUTANT_TIMEOUT seconds (300), and a test that takes longer counts as failed.
set -euo pipefail
cd "$(dirname "$0")/.."
list=$PWD/tests/mutants.txt
tree=${KORVIF_MUTANTS_DIR:-$PWD/build/mutants}
timeout=${KORVIF_MUTANT_TIMEOUT:-300}

# Files that did not change keep their times: the build there stays incremental.
mkdir -p "$tree"
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
    if [ -f "$file" ] && ! cmp -s "$file" "$tree/$file"; then install -D -m "$(stat -c %a "$file")" "$file" "$tree/$file"; fi
done
cd "$tree"
log=$tree/build/mutant.log
build() { cmake --build --preset native-debug >"$log" 2>&1 </dev/null; }
tests_pass() { ctest --preset native-debug -j2 --timeout "$timeout" --stop-on-failure >"$log" 2>&1 </dev/null; }

cmake --preset native-debug >/dev/null </dev/null
if ! build || ! tests_pass; then
    echo "the tree as it stands does not build or fails its tests: $log" >&2
    exit 1
fi

# Puts `new` in the place of `old`, which must occur exactly once in the file.
apply() {
    python3 - "$@" <<'EOF'
import sys
path, old, new = sys.argv[1:]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

killed=0
total=0
number=0
saved=$tree/build/mutant.saved
while IFS=$'\t' read -r file old new rule <&3; do
    number=$((number + 1))
    [[ -z $file || $file == \#* ]] && continue
    (($# == 0)) || [[ " $* " == *" $number "* ]] || continue
    total=$((total + 1))
    if [ ! -f "$file" ] || ! cp "$file" "$saved" || ! apply "$file" "$old" "$new"; then
        result="not applied"
    else
        if ! build; then
            result="not built"
        elif tests_pass; then
            result="survived"
        else
            result="killed"
            killed=$((killed + 1))
        fi
        # Put back with a new time, so that the next build compiles the file as it was.
        cat "$saved" >"$file"
    fi
    printf '%-11s line %-3d %s: %s\n' "$result" "$number" "$file" "$rule"
done 3<"$list"
echo "$killed of $total killed"
