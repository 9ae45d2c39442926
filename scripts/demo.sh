#!/usr/bin/env bash
# Sets up, builds, starts the demo rate pages, the demo reference-rate files and the demo
# publisher on loopback and runs the program against them, in a demo home of its own
# (build/demo-home, or DEMO_HOME) whose rate history starts with a generated week, so the chart
# ("Koersverloop...") shows something at once. DEMO_BAD_PAGES=60 makes both rate pages answer
# without a rate for the first 60 seconds, so the fallback to the reference rate shows.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
iex_port=${IEX_PORT:-8451}
d2e_port=${D2E_PORT:-8452}
publisher_port=${PUBLISHER_PORT:-8453}
reference_port=${REFERENCE_PORT:-8454}
home=$(realpath -m "${DEMO_HOME:-build/demo-home}")
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
mkdir -p "$XDG_DATA_HOME/qzRate"
if [ ! -e "$XDG_DATA_HOME/qzRate/history.sqlite" ]; then
  build/tools/qzrate-history-fill --days 7 "$XDG_DATA_HOME/qzRate/history.sqlite"
fi
build/server/qzrate-server --iex-port "$iex_port" --d2e-port "$d2e_port" \
    --publisher server/publisher --publisher-port "$publisher_port" \
    --reference-port "$reference_port" --bad-pages "${DEMO_BAD_PAGES:-0}" &
server=$!
trap 'kill $server 2>/dev/null' EXIT
export QZRATE_IEX_URL="http://127.0.0.1:$iex_port/"
export QZRATE_D2E_URL="http://127.0.0.1:$d2e_port/"
export QZRATE_PUBLISHER_URL="http://127.0.0.1:$publisher_port/"
export QZRATE_REFERENCE_URL="http://127.0.0.1:$reference_port/eurofxref/"
build/src/app/qzrate
