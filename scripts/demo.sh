#!/usr/bin/env bash
# Sets up, builds, starts the demo rate pages and the demo publisher on loopback and runs the
# program against them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
iex_port=${IEX_PORT:-8451}
d2e_port=${D2E_PORT:-8452}
publisher_port=${PUBLISHER_PORT:-8453}
build/server/qzrate-server --iex-port "$iex_port" --d2e-port "$d2e_port" \
    --publisher server/publisher --publisher-port "$publisher_port" &
server=$!
trap 'kill $server 2>/dev/null' EXIT
export QZRATE_IEX_URL="http://127.0.0.1:$iex_port/"
export QZRATE_D2E_URL="http://127.0.0.1:$d2e_port/"
export QZRATE_PUBLISHER_URL="http://127.0.0.1:$publisher_port/"
build/src/app/qzrate
