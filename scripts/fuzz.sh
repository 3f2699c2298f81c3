#!/usr/bin/env bash
# Fuzzes the skin reader (archive, options, images) with libFuzzer under AddressSanitizer and
# UBSan: builds build/fuzz with clang and runs the target for RUNS executions (default ten
# million), starting from the hand-made seeds in tests/fuzz/corpus and the real skin in
# assets/skin (cut to the 4 KB inputs are limited to, which keeps the runs fast). New inputs it finds go to build/fuzz/corpus; a crash leaves its input in
# build/fuzz/ and ends the run with a non-zero status.
#   bash scripts/fuzz.sh [RUNS]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$MK_ROOT"
runs=${1:-10000000}

MK_PACKAGES+=(clang libclang-rt-dev)
mk_install_deps
mk_log "Fuzz tree: build/fuzz"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DMK_SANITIZE=ON -DMK_FUZZ=ON >/dev/null
cmake --build build/fuzz --target skin_fuzzer
mkdir -p build/fuzz/corpus
mk_log "Fuzzing for $runs executions"
cd build/fuzz
./tests/fuzz/skin_fuzzer -runs="$runs" -max_len=4096 -print_final_stats=1 \
  corpus "$MK_ROOT/tests/fuzz/corpus" "$MK_ROOT/assets/skin"
