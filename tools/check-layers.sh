#!/usr/bin/env bash
# The program's layers, lowest first. A file of src/LAYER (or of tests/LAYER) may include
# headers of its own layer and of the layers below it, never of a layer above it nor of
# another layer of the same rank (the window and the command line do not know each
# other). Widgets, QtGui and the designer forms belong to the window alone.
#
#   tools/check-layers.sh [ROOT]      checks ROOT (default: this checkout); lists every
#                                     include that breaks the order and exits 1 if any
#   tools/check-layers.sh --self-test plants upward includes into a copy and checks that
#                                     every one of them is found
set -uo pipefail

LAYERS=(1-base 2-stream 3-zone 4-output 5-extraction 6-text 7-window 7-cli)
WINDOW=7-window

rank() {
    local name=$1
    for layer in "${LAYERS[@]}"; do
        [[ $layer == "$name" ]] && { echo "${layer%%-*}"; return 0; }
    done
    return 1
}

# The Qt headers that bring widgets or QtGui: every header of those modules' folders.
qt_gui_headers() {
    local base
    for base in /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6; do
        [[ -d $base/QtWidgets ]] || continue
        ls "$base/QtWidgets" "$base/QtGui" 2>/dev/null | grep -v '\.h$' || true
        return 0
    done
}

check_tree() {
    local root=$1 failures=0 file layer own target targetRank line number text header
    declare -A gui=()
    while read -r header; do
        [[ -n $header ]] && gui[$header]=1
    done < <(qt_gui_headers)
    for area in src tests; do
        for dir in "$root/$area"/*/; do
            layer=$(basename "$dir")
            own=$(rank "$layer") || continue
            while IFS= read -r file; do
                while IFS=: read -r number text; do
                    if [[ $text =~ \#[[:space:]]*include[[:space:]]*\"([^/\"]+)/ ]]; then
                        target=${BASH_REMATCH[1]}
                        targetRank=$(rank "$target") || continue
                        if ((targetRank > own)) || { ((targetRank == own)) && [[ $target != "$layer" ]]; }; then
                            echo "${file#"$root"/}:$number: includes $target from layer $layer: ${text#"${text%%[![:space:]]*}"}"
                            failures=$((failures + 1))
                        fi
                    fi
                    [[ $layer == "$WINDOW" ]] && continue
                    header=""
                    if [[ $text =~ \#[[:space:]]*include[[:space:]]*\<(QtWidgets|QtGui)/ ]]; then
                        header=${BASH_REMATCH[1]}
                    elif [[ $text =~ \#[[:space:]]*include[[:space:]]*\<(Q[A-Za-z0-9]*)\> ]] && [[ -n ${gui[${BASH_REMATCH[1]}]:-} ]]; then
                        header=${BASH_REMATCH[1]}
                    elif [[ $text =~ \#[[:space:]]*include[[:space:]]*\"(ui_[a-z]*\.h)\" ]]; then
                        header=${BASH_REMATCH[1]}
                    fi
                    if [[ -n $header ]]; then
                        echo "${file#"$root"/}:$number: widgets or QtGui outside $WINDOW: ${text#"${text%%[![:space:]]*}"}"
                        failures=$((failures + 1))
                    fi
                done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file")
            done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
        done
    done
    if ((failures > 0)); then
        echo "check-layers: $failures include(s) against the layer order (${LAYERS[*]})" >&2
        return 1
    fi
    return 0
}

self_test() {
    local here copy out status=0
    here=$(cd "$(dirname "$0")/.." && pwd)
    copy=$(mktemp -d)
    trap 'rm -rf "$copy"' RETURN
    mkdir -p "$copy/src" "$copy/tests"
    cp -r "$here/src/." "$copy/src/"
    mkdir -p "$copy/tests/2-stream"
    # Three plantings: one layer up, a same-rank neighbour, a widget below the window.
    echo '#include "5-extraction/extractoptions.h"' >> "$copy/src/1-base/result.h"
    echo '#include "7-window/kestrova.h"' >> "$copy/src/7-cli/main.cpp"
    echo '#include <QWidget>' >> "$copy/src/3-zone/dvdazone.h"
    echo '#include "6-text/treelabels.h"' > "$copy/tests/2-stream/tst_planted.cpp"
    out=$(check_tree "$copy" 2>&1) && { echo "self-test: planted includes passed"; return 1; }
    for expected in "src/1-base/result.h" "src/7-cli/main.cpp" "src/3-zone/dvdazone.h" \
                    "tests/2-stream/tst_planted.cpp"; do
        if ! grep -q "^$expected:" <<<"$out"; then
            echo "self-test: the planted include in $expected was not reported"
            status=1
        fi
    done
    ((status == 0)) && echo "self-test: every planted include was reported"
    return $status
}

if [[ ${1:-} == --self-test ]]; then
    self_test
    exit $?
fi
check_tree "${1:-$(cd "$(dirname "$0")/.." && pwd)}"
