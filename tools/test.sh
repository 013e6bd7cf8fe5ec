#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (offscreen, no display needed), then
# checks the install and the Debian package (tools/check-install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
export XDG_RUNTIME_DIR="$runtime_dir" QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
# Then the install: the files the desktop and the package manager read, and the package.
bash tools/check-install.sh build
