#!/usr/bin/env bash
# Installs what the tests need, builds the Windows program, the native program and the
# sanitizer build, and runs every test: native unit tests (twice, the second time under
# AddressSanitizer and UndefinedBehaviorSanitizer) and the tests of korvif32.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh test

cmake --preset windows >/dev/null
cmake --build --preset windows

cmake --preset native -DKORVIF_TESTS=ON >/dev/null
cmake --build --preset native
cmake --preset native-debug >/dev/null
cmake --build --preset native-debug

ctest --preset native-debug -j2
ctest --preset native
