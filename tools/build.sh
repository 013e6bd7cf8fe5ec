#!/usr/bin/env bash
# Installs what is missing, then configures (once) and builds incrementally into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j"$(nproc)"
