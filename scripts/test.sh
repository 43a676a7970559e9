#!/usr/bin/env bash
# Sets up a fresh machine and runs every test: the optimised build with all
# tests, the engine's tests under address and undefined-behaviour
# sanitizers, the tests of the threaded layers under the thread sanitizer,
# and each fuzz target for a short while over its seeds. All builds treat
# compiler warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

cmake --preset default -DCORVANE_WERROR=ON
cmake --build --preset default
ctest --preset default

cmake --preset asan -DCORVANE_WERROR=ON
cmake --build --preset asan
ctest --preset asan

cmake --preset tsan -DCORVANE_WERROR=ON
cmake --build --preset tsan
ctest --preset tsan

# Each fuzz target for 20 s, two at a time (the machine's two cores).
FUZZ_JOBS=${FUZZ_JOBS:-2} ./scripts/fuzz.sh 20

echo "All tests passed."
