#!/usr/bin/env bash
# Sets up a fresh machine and runs every test: the optimised build with all
# tests, then the engine's tests under address and undefined-behaviour
# sanitizers. Both builds treat compiler warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

cmake --preset default -DCORVANE_WERROR=ON
cmake --build --preset default
ctest --preset default

cmake --preset asan -DCORVANE_WERROR=ON
cmake --build --preset asan
ctest --preset asan

echo "All tests passed."
