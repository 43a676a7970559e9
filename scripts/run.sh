#!/usr/bin/env bash
# Sets up a fresh machine, builds Corvane and runs its main job: the window
# when a display is present, otherwise what runs without one.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

cmake --preset default
cmake --build --preset default

# On a desktop, the window; without a display, the headless example below.
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the Corvane window (build/src/gui/corvane) ..."
  exec build/src/gui/corvane
fi

echo "Corvane is built in build/. The analysis programs are not complete yet;"
echo "running the tests of what exists:"
ctest --preset default
