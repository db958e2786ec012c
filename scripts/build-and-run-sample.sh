#!/usr/bin/env bash
# Builds the native program and converts the bundled sample SFF file into a fax document.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh build
cmake --preset native -DKORVIF_TESTS=OFF -DKORVIF_BENCH=OFF -DKORVIF_WINE_TESTS=OFF >/dev/null
cmake --build --preset native --target korvif32

mkdir -p build/sample
build/native/korvif32 "S2F:0,samples/sample.sff,build/sample/sample.kvd"
pages=$(od -An -tu1 -j288 -N1 build/sample/sample.kvd | tr -d ' ')
echo "build/sample/sample.kvd: $(stat -c %s build/sample/sample.kvd) bytes, $pages pages"
