#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
# Exit status is non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
build=${VENTREL_BUILD_DIR:-build}
jobs=${VENTREL_JOBS:-$(nproc)}
# Installed under /usr as the package does (GNUInstallDirs then gives the
# multiarch library folder).
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$jobs"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
# A full file system for real (a small tmpfs, as root; skipped otherwise):
# ventrel-render and the window's Save Graphs keep every file as it was.
scripts/full-disk-check "$build"
# The Debian package from the same build (stripped), checked with lintian
# and tried unpacked; scripts/package makes the Release one.
scripts/package --from "$build" --check
# The same tests again in a second build with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-sanitize). VENTREL_SANITIZE_TESTS=0 skips
# it for a quick local run; CI always runs it.
if [[ "${VENTREL_SANITIZE_TESTS:-1}" != 0 ]]; then
  scripts/sanitize-test "$@"
fi
