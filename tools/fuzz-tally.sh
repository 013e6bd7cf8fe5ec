#!/usr/bin/env bash
# Builds the tally reader's fuzz target with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs it for a bounded time: tools/fuzz-tally.sh [seconds, default 120].
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
if [ ! -f build-fuzz/CMakeCache.txt ]; then
    CXX=${CXX:-clang++-14} cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMORVELLO_FUZZ=ON -DMORVELLO_BUILD_TESTS=OFF
fi
cmake --build build-fuzz -j2 --target fuzz_tally

# Seeds: the container's smallest cases and a few blocks of each kind.
corpus=build-fuzz/corpus-tally
mkdir -p "$corpus"
seed() { printf "$2" > "$corpus/seed-$1"; }
seed empty '\x57\x52\x5a\x4c\x00\x00\x00\x00\x01\x00\x80'
seed abc '\x57\x52\x5a\x4c\x03\x00\x00\x00\x04\x00\x80abc'
seed run16 '\x57\x52\x5a\x4c\x10\x00\x00\x00\x07\x00\x40\x80\x00\x00\x00\x00\x61'
seed copy15 '\x57\x52\x5a\x4c\x0f\x00\x00\x00\x06\x00\x40\x40\x00\x61\x00\x1b'
seed dump '9\r\n2\r\n0\r\nKlot\r\n1\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n'

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
build-fuzz/fuzz_tally -max_total_time="$seconds" -max_len=70000 -rss_limit_mb=2048 \
    -artifact_prefix=build-fuzz/ -print_final_stats=1 "$corpus"
