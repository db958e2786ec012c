#!/usr/bin/env bash
# The folders of src/ form layers, each including only itself and the layers below it:
#   app  >  commands  >  faxdoc, desktop, printer  >  command  >  image  >  codec  >  platform
# (platform's folders, one per concern, are one layer: files, replace, trace, process, memory).
# Fails on any include of a folder above the including one, or of a sibling on the same layer.
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../src" && pwd)
declare -A rank=([platform]=1 [codec]=2 [image]=3 [command]=4 [faxdoc]=5 [desktop]=5 [printer]=5 [commands]=6 [app]=7)
bad=0
while IFS= read -r file; do
    folder=${file#"$SRC"/}
    folder=${folder%%/*}
    [ -n "${rank[$folder]:-}" ] || { echo "unknown folder: $folder ($file)"; bad=1; continue; }
    while IFS= read -r included; do
        [ "$included" = "$folder" ] && continue
        if [ -z "${rank[$included]:-}" ] || [ "${rank[$included]}" -ge "${rank[$folder]}" ]; then
            echo "${file#"$SRC"/} includes $included/, which is not below $folder/"
            bad=1
        fi
    done < <(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file" | sort -u)
done < <(find "$SRC" -name '*.h' -o -name '*.cpp' | sort)
[ $bad -eq 0 ] && echo "include layers: passed"
exit $bad
