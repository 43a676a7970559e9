#!/usr/bin/env bash
# Sets up a fresh machine, builds Corvane and runs its main job.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

cmake --preset default
cmake --build --preset default

echo "Corvane is built in build/. The analysis programs are not complete yet;"
echo "running the tests of what exists:"
ctest --preset default
