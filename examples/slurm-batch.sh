#!/bin/bash
# Runs a Corvane batch file on a Slurm cluster: one shard of the batch per
# task of a job array, then, once every task has ended well, one job that
# joins the shards' tables into the output root's summary.tst and results.csv.
#
#   examples/slurm-batch.sh FILE.ebb OUTPUT-ROOT [SHARDS]
#
# OUTPUT-ROOT is the batch file's DataDirectory, on a file system that every
# node sees. Each task analyses the items K, K+SHARDS, K+2*SHARDS, ... with
# as many items at once as Slurm gives it cores. CORVANE_CLI names the
# program (default: corvane-cli on the PATH); SBATCH_OPTIONS adds options to
# both submissions (a partition, an account, a time limit).
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 FILE.ebb OUTPUT-ROOT [SHARDS]" >&2
  exit 2
fi
batch=$(realpath "$1")
root=$(realpath "$2")
shards=${3:-16}
cli=${CORVANE_CLI:-corvane-cli}
read -r -a extra <<< "${SBATCH_OPTIONS:-}"

if ! [[ "$shards" =~ ^[1-9][0-9]*$ ]] || [ "$shards" -gt 100000 ]; then
  echo "$0: SHARDS must be a whole number from 1 to 100000, not \"$shards\"" >&2
  exit 2
fi
if [ ! -f "$batch" ]; then
  echo "$0: $batch is not a batch file" >&2
  exit 2
fi
if [ ! -d "$root" ]; then
  echo "$0: the output root $root is not a folder" >&2
  exit 2
fi

# Every task is one shard; Slurm counts array tasks from 1 here, as --shard does.
# Exit status 3 (an item failed or was refused) still leaves a complete shard.
array_job=$(sbatch --parsable "${extra[@]}" \
  --job-name=corvane-shards --array="1-$shards" --cpus-per-task="${CPUS_PER_TASK:-2}" \
  --output="$root/slurm-shard-%a.out" \
  --wrap="$cli batch --jobs \${SLURM_CPUS_PER_TASK:-1} --shard \${SLURM_ARRAY_TASK_ID}/$shards \
'$batch'; status=\$?; [ \$status -eq 0 ] || [ \$status -eq 3 ]")
array_job=${array_job%%;*}

merge_job=$(sbatch --parsable "${extra[@]}" \
  --job-name=corvane-merge --dependency="afterok:$array_job" \
  --output="$root/slurm-merge.out" \
  --wrap="$cli merge-summaries '$root'")

echo "Submitted the shards as job $array_job and the merge as job $merge_job."
