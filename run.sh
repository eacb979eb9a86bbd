#!/usr/bin/env bash
# Installs what is missing, builds a Release, and starts Ventrel.
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
build=${VENTREL_RUN_BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVENTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
exec "$build/bin/ventrel" "$@"
