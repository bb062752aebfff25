#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the release tree in build/ and runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$root/build" "$@"
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"
