#!/usr/bin/env bash
# Runs the built tests (build/, made by scripts/test.sh) with the clock moved to another instant:
#   scripts/test-at.sh "2026-12-14 11:00:00" [ZONE [ctest options...]]
# The instant is in UTC; the suite runs in ZONE (UTC by default). Every process the suite starts
# shares one moved clock that keeps running; the monotonic clock is left alone, so timers run as
# usual. The moved clock's date is printed before and after the run.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ]; then
  echo "usage: $0 'YYYY-MM-DD hh:mm:ss' [ZONE [ctest options...]]" >&2
  exit 2
fi
instant=$1
export TZ=${2:-UTC}
shift $(($# < 2 ? $# : 2))
[ $# -gt 0 ] || set -- -j2
export FAKETIME_DONT_FAKE_MONOTONIC=1 QT_QPA_PLATFORM=offscreen
faketime "$instant UTC" bash -c 'date; rc=0; ctest --test-dir build --output-on-failure "$@" || rc=$?
  date; exit $rc' bash "$@"
