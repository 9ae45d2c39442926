#!/usr/bin/env bash
# Sets up, builds every test and the fuzz targets with clang's address, leak and
# undefined-behaviour sanitizers into build-sanitize/, runs every test headless, then each fuzz
# target for a fixed time (FUZZ_SECONDS, 15 by default) over its seed corpus in fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DQZRATE_FUZZ=ON >/dev/null
cmake --build build-sanitize

# Leaks and errors that belong to system libraries are listed in their own files; the
# symbolizer gives the reports their source lines.
here=$PWD
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$here/scripts/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/scripts/sanitizers/ubsan.supp"
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer || command -v llvm-symbolizer-14)}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-sanitize --output-on-failure -j2

fuzz_seconds=${FUZZ_SECONDS:-15}
mkdir -p build-sanitize/fuzz/found build-sanitize/fuzz/crashes
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  # New inputs go to the build folder; the checked-in seeds are only read.
  mkdir -p "build-sanitize/fuzz/found/$name"
  echo "fuzz_$name: ${fuzz_seconds} s"
  "build-sanitize/fuzz/fuzz_$name" -max_total_time="$fuzz_seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-sanitize/fuzz/crashes/$name-" \
    "build-sanitize/fuzz/found/$name" "$corpus" 2>"build-sanitize/fuzz/$name.log" ||
    { tail -n 60 "build-sanitize/fuzz/$name.log"; exit 1; }
  grep -E '^stat::number_of_executed_units|^Done' "build-sanitize/fuzz/$name.log" || true
done
