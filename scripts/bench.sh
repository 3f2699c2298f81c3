#!/usr/bin/env bash
# Benchmarks, not tests: installs whatever is missing, builds release trees of its own and
# writes docs/benchmarks.md with the machine, the date and the figures (medians of alternating
# runs, ratios of medians). It measures and reports; it never passes or fails on a figure.
#
#   bash scripts/bench.sh            the full run (about ten minutes of measures on 2 cores)
#   bash scripts/bench.sh --quick    a few runs of each, to check the command itself; its report
#                                    goes to build/bench-results/quick.md, not to docs/
#
# Its trees, never the test command's: build/bench-host (host, -O2, no sanitizers),
# build/bench-win32 (the 32-bit release program, for its size) and build/bench-win64 (the same
# sources for x86_64, which Wine runs here, with the benchmark programs, its own Wine prefix and
# display, and the demo portal on port MK_BENCH_PORT, 18633 by default).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$MK_ROOT"

quick=()
out="$MK_ROOT/docs/benchmarks.md"
raw="$MK_ROOT/build/bench-results/raw.json"
if [ "${1:-}" = --quick ]; then
  quick=(--quick)
  out="$MK_ROOT/build/bench-results/quick.md"
  raw="$MK_ROOT/build/bench-results/quick.json"
fi
port=${MK_BENCH_PORT:-18633}
base="http://127.0.0.1:${port}"
host_tree="$MK_ROOT/build/bench-host"
win32_tree="$MK_ROOT/build/bench-win32"
win64_tree="$MK_ROOT/build/bench-win64"

mk_install_deps
mk_install_bench_deps

mk_log "Host tree (-O2, no sanitizers): $host_tree"
cmake -S "$MK_ROOT" -B "$host_tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMK_SANITIZE=OFF \
  -DMK_BENCH=ON "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" \
  >/dev/null
cmake --build "$host_tree" --target host_bench

mk_log "32-bit release tree (i686): $win32_tree"
cmake -S "$MK_ROOT" -B "$win32_tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$MK_ROOT/cmake/toolchain-i686-w64-mingw32.cmake" \
  -UPORTAL_BASE_ADDRESS -DMK_BENCH=ON >/dev/null
cmake --build "$win32_tree" --target MiniKorvel bare_browser noop

mk_log "x86_64 release tree: $win64_tree"
cmake -S "$MK_ROOT" -B "$win64_tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$MK_ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake" \
  -DPORTAL_BASE_ADDRESS="$base" -DMK_BENCH=ON >/dev/null
cmake --build "$win64_tree" --target MiniKorvel winprobe bare_browser noop handoff_floor \
  startwatch paint_bench

cleanup() {
  "$MK_ROOT/tools/demo_portal/control" stop "$win64_tree" || true
  "$MK_ROOT/tools/wine/stop-prefix" "$win64_tree" || true
}
trap cleanup EXIT
mk_log "Wine prefix and demo portal ($base)"
cleanup  # whatever an interrupted run left in this tree
# Always a private Xvfb, never the caller's display: nothing else may share the measured desktop.
env -u DISPLAY "$MK_ROOT/tools/wine/prepare-prefix" "$win64_tree"
"$MK_ROOT/tools/demo_portal/control" start "$win64_tree" "$port"

mk_log "Measuring (load average now: $(cut -d' ' -f1-3 /proc/loadavg))"
python3 "$MK_ROOT/bench/run_bench.py" --win64 "$win64_tree" --win32 "$win32_tree" \
  --host "$host_tree" --base "$base" --out "$out" --raw "$raw" "${quick[@]}"
