#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang, libFuzzer, address and
# undefined-behaviour sanitizers) and runs each for SECONDS (default 60).
#
#   ./scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Each target <name>_fuzzer starts from its seeds in fuzz/corpus/<name>/ and
# keeps what it learns in build-fuzz/corpus/<name>/, so later runs go on
# from there; the seeds in the repository are never written. FUZZ_JOBS
# targets run at a time (default 1). A target that finds a fault (a crash,
# a sanitizer report, a broken promise, an input taking over 10 s or a
# memory bound exceeded) fails the script; its input is saved as
# build-fuzz/findings/<name>-crash-... (or -timeout-, -oom-). Once the
# fault is fixed, that input belongs in fuzz/corpus/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
jobs=${FUZZ_JOBS:-1}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS] [TARGET...]" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing; run ./scripts/install-deps.sh first" >&2
  exit 2
fi

cmake --preset fuzz -DCORVANE_WERROR=ON >/dev/null
cmake --build --preset fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

out=build-fuzz/runs
mkdir -p "$out" build-fuzz/findings

# Runs one target; its whole log goes to build-fuzz/runs/<name>.log.
run_one() {
  local name=$1 seconds=$2
  local work=build-fuzz/corpus/$name
  local dict=()
  mkdir -p "$work"
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  if "build-fuzz/fuzz/${name}_fuzzer" "${dict[@]}" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$name-" \
      "$work" "fuzz/corpus/$name" >"$out/$name.log" 2>&1; then
    local runs corpus
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$name.log")
    corpus=$(grep -o 'corp: [0-9]*/[0-9]*[bKM]*b' "$out/$name.log" | tail -n 1)
    echo "$name: ${runs:-?} runs in $seconds s, ${corpus:-corp: ?} (inputs/bytes)"
  else
    echo "$name: FAILED; see $out/$name.log" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|corvane fuzz:|.*runtime error)' "$out/$name.log" | head -n 5 >&2 || true
    grep -o 'Test unit written to .*' "$out/$name.log" >&2 || true
    return 1
  fi
}
export -f run_one
export out

echo "Fuzzing ${targets[*]} for $seconds s each, $jobs at a time ..."
if printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$seconds"; then
  echo "Fuzzing found nothing."
else
  echo "Fuzzing found faults (above)." >&2
  exit 1
fi
