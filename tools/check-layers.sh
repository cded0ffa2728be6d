#!/usr/bin/env bash
# What the build cannot see of the layers: widgets, QtGui and the designer forms belong to
# the window alone. (An include of a layer above does not build: every layer is a library
# whose include root holds only the layers below it.) Qt's own include root lets any layer
# reach <QtGui/...>, so this checks every file of src/ and tests/ outside the window.
#
#   tools/check-layers.sh [ROOT]      checks ROOT (default: this checkout); lists every
#                                     widget or QtGui include outside the window, exits 1 if any
#   tools/check-layers.sh --self-test plants such includes into a copy and checks that
#                                     every one of them is found
set -uo pipefail

WINDOW=window

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
    local root=$1 failures=0 file layer number text header
    declare -A gui=()
    while read -r header; do
        [[ -n $header ]] && gui[$header]=1
    done < <(qt_gui_headers)
    for area in src tests; do
        for dir in "$root/$area"/*/; do
            layer=$(basename "$dir")
            [[ $layer == "$WINDOW" ]] && continue
            while IFS= read -r file; do
                while IFS=: read -r number text; do
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
        echo "check-layers: $failures widget or QtGui include(s) outside the $WINDOW" >&2
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
    mkdir -p "$copy/tests/stream"
    # Three plantings: a widget, QtGui by its module path, a designer form.
    echo '#include <QWidget>' >> "$copy/src/zone/dvdazone.h"
    echo '#include <QtGui/QColor>' >> "$copy/src/cli/main.cpp"
    echo '#include "ui_kestrova.h"' > "$copy/tests/stream/tst_planted.cpp"
    out=$(check_tree "$copy" 2>&1) && { echo "self-test: planted includes passed"; return 1; }
    for expected in "src/zone/dvdazone.h" "src/cli/main.cpp" "tests/stream/tst_planted.cpp"; do
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
