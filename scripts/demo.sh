#!/usr/bin/env bash
# Sets up, builds, starts the demo rate pages on loopback and runs the program against them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
iex_port=${IEX_PORT:-8451}
d2e_port=${D2E_PORT:-8452}
build/server/qzrate-server --iex-port "$iex_port" --d2e-port "$d2e_port" &
server=$!
trap 'kill $server 2>/dev/null' EXIT
export QZRATE_IEX_URL="http://127.0.0.1:$iex_port/"
export QZRATE_D2E_URL="http://127.0.0.1:$d2e_port/"
build/src/app/qzrate
