#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game. Without arguments: a solo game.
# With NAME ADDRESS true: host a game; with NAME ADDRESS false: join the host at ADDRESS.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
exec build/morvello "$@"
