#!/usr/bin/env bash
# Sets up a fresh machine, builds Corvane and runs its main job: the window
# when a display is present, otherwise a batch of analyses over a day of
# synthetic egg data, without a window.
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

work=build/example
mkdir -p "$work/data" "$work/tmp"

echo "Making a day of synthetic egg data ..."
build/tools/eggdata/corvane-eggdata --date 2011-05-03 --out "$work/data/2011-05-03.csv" \
  --shift 0.1 --shift-start "2011-05-03 14:00:00" --shift-stop "2011-05-03 15:59:59"

echo "Running examples/may-2011.ebb without a window ..."
rm -rf "$work/results"
mkdir -p "$work/results"
(cd "$work" && ../src/cli/corvane-cli batch --set "TempDir=$PWD/tmp/" ../../examples/may-2011.ebb)

results="$(cd "$work/results" && pwd)"
echo
echo "The results are in $results/:"
echo "  one folder per analysis (data, gnuplot script, information and statistics files),"
echo "  the batch summary table $results/summary.tst,"
echo "  the results table $results/results.csv (one record per item, for pandas or R)"
echo "  and the event series $results/series.csv."
echo "Show one with gnuplot, e.g.:  (cd $results/WholeDay && gnuplot -persist WholeDay.gp)"
