#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine (as root), builds, and prints the
# sample scans in examples/ to a PDF on the default printer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
out=${OUTPUT:-$PWD/out/examples.pdf}
mkdir -p "$(dirname "$out")"
build/bin/lucentra print examples/*.jpg examples/*.png examples/*.tif --output "$out"
echo "Printed the sample scans to $out"
