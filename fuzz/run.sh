#!/usr/bin/env bash
# Runs every libFuzzer target of a KESTRUM_FUZZ build folder, one after another, growing
# fuzz/corpus/<name> from the committed seeds. An input that breaks a property is kept in
# fuzz/findings/ and the script fails.
#   fuzz/run.sh <build folder> <seconds per target>
# With FUZZ_RUNS=N in the environment each target runs N executions instead, however long.
set -euo pipefail
build_dir=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")" && pwd)
if [[ -n ${FUZZ_RUNS:-} ]]; then
  bound=(-runs="$FUZZ_RUNS")
  what="$FUZZ_RUNS runs"
else
  bound=(-max_total_time="$seconds")
  what="$seconds s"
fi
mkdir -p "$root/corpus" "$root/findings"
status=0
shopt -s nullglob
for target in "$build_dir"/fuzz/fuzz_*; do
  [[ -f $target && -x $target ]] || continue
  name=${target##*/fuzz_}
  mkdir -p "$root/corpus/$name"
  echo "== $name: $what"
  if ! "$target" "${bound[@]}" -print_final_stats=1 \
      -artifact_prefix="$root/findings/$name-" "$root/corpus/$name" "$root/seeds/$name"; then
    status=1
  fi
done
exit $status
