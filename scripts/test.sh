#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine (as root), builds and runs all tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
[ -x scripts/start-services.sh ] && scripts/start-services.sh
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" --timeout 600
