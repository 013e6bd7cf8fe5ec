#!/usr/bin/env bash
# Builds the resource generator and writes every picture and sound into resources/.
# The results are committed; run this after changing tools/resourcegen and commit what changes.
# With --preview FILE it also writes a picture of the main window laid out with them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-tools
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DMORVELLO_BUILD_TOOLS=ON -DMORVELLO_BUILD_TESTS=OFF
fi
cmake --build "$build" -j2 --target resourcegen
preview=()
if [ "${1:-}" = "--preview" ]; then
    preview=(--preview "$2")
fi
QT_QPA_PLATFORM=offscreen "$build/resourcegen" resources "${preview[@]}"
