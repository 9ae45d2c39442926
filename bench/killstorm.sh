#!/usr/bin/env bash
# The long kill storm: a writer keeps readings as fast as the history takes them and is killed
# with SIGKILL at random moments, KILLS times (300 unless given); after each kill the file must
# open clean with every reading but the last one handed over. ctest runs 12 of these.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target tst_historyprogram >&2
QZRATE_KILLS=${1:-300} build/tests/history/tst_historyprogram killStorm
