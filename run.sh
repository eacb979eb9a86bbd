#!/usr/bin/env bash
# Installs what is missing, builds a Release and starts Ventrel with a
# simulated sonde behind the telemetry exchange port, so that a live flight
# can be received at once. The simulator stops when Ventrel exits.
#
#   VENTREL_SIM=0 ./run.sh          no simulator: a real decoder program
#                                   writes to the exchange port instead
#   KESTRIN_SIM_ARGS="--rate 2" ./run.sh
#                                   extra simulator options (kestrin-sim --help)
#   DXSOFTEX_PORT=52171 ./run.sh    another exchange port (both sides use it)
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
build=${VENTREL_RUN_BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVENTREL_BUILD_BENCH=OFF >/dev/null
# Only what runs: the program, the exchange library it loads, the simulator.
cmake --build "$build" -j "${VENTREL_JOBS:-$(nproc)}" --target ventrel dxsoftex kestrin-sim

sim_pid=""
stop_simulator() {
  if [[ -n "$sim_pid" ]]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
  fi
}
trap stop_simulator EXIT
trap 'exit 130' INT TERM

if [[ "${VENTREL_SIM:-1}" != 0 ]]; then
  # A 1M sonde sending converter counts once a second; it repeats its
  # configuration every other frame, so Configure captures it whenever it is
  # pressed. It waits for Ventrel to open the port and keeps reconnecting.
  # shellcheck disable=SC2086
  "$build/bin/kestrin-sim" --config 1MR:TPUVVVVF --config-every 2 --rate 1 \
    --connect-timeout 0 ${KESTRIN_SIM_ARGS:-} &
  sim_pid=$!
fi

"$build/bin/ventrel"
