#!/usr/bin/env bash
# Makes the README's pictures from the project's own programs, under a
# virtual X display: the window with a request loaded (docs/images/window.png)
# and the plot of an analysis of a day of synthetic egg data, the picture
# that the setting PlotPictures=png draws beside the run's script
# (docs/images/plot.png).
# Expects a build in build/ (cmake --preset default && cmake --build --preset default).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
images=docs/images
work="$(mktemp -d "${TMPDIR:-/tmp}/corvane-screenshots-XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$images" "$work/results" "$work/tmp" "$work/config"
# Private settings: the user's own are never read or changed.
export XDG_CONFIG_HOME="$work/config"

echo "Making a day of synthetic egg data ..."
"$build/tools/eggdata/corvane-eggdata" --date 2011-05-03 --out "$work/2011-05-03.csv" \
  --shift 0.6 --shift-start "2011-05-03 14:00:00" --shift-stop "2011-05-03 15:59:59"

cat > "$work/day.ebb" <<BATCH
# A day of synthetic data with a two-hour mean shift from 14:00.
DataDirectory $work/results
LocalEggFile $work/2011-05-03.csv
SmoothingWindowType 0
ExpFilterCoeff 0.0005
Shift 2011-05-03 00:00:00 2011-05-03 23:59:59 2011-05-03 14:00:00 2.0
BATCH

echo "Taking the window's picture ..."
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/src/gui/corvane" --load-batch "$work/day.ebb" --screenshot "$images/window.png"

echo "Running the analysis and drawing its plot picture ..."
"$build/src/cli/corvane-cli" batch --set "TempDir=$work/tmp/" --set PlotPictures=png \
  "$work/day.ebb" > /dev/null
test -s "$work/results/Shift/Shift.png"
cp "$work/results/Shift/Shift.png" "$images/plot.png"

echo "Wrote $images/window.png and $images/plot.png"
