#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine (as root), builds and runs all tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
[ -x scripts/start-services.sh ] && scripts/start-services.sh
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" --timeout 600
# The same suite again with AddressSanitizer and UndefinedBehaviorSanitizer, in its
# own build folder (PW_SKIP_SANITIZERS=1 leaves it out of a quick local run).
if [ "${PW_SKIP_SANITIZERS:-0}" != 1 ]; then
  scripts/test-sanitizers.sh
fi
