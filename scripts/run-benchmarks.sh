#!/usr/bin/env bash
# Runs every benchmark executable of a Release build folder.
set -euo pipefail
build_dir=${1:-build-release}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
shopt -s nullglob
for bench in "$build_dir"/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" --benchmark_counters_tabular=true
done
