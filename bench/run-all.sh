#!/usr/bin/env bash
# Runs every benchmark and prints their figures as one table, each beside its
# baseline. Usage: bench/run-all.sh [BUILD_DIR] (a RelWithDebInfo build made
# with -DKARVEL_BENCH=ON; build-bench by default).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
tmp=${TMPDIR:-/tmp}

# The demo schools are made once and kept for later runs.
for documents in 0 10000 99999 1000000; do
  [ -f "$tmp/karvel-bench-$documents/LAVOK/VOK.MDB" ] ||
    "$build/tools/demo/karvel-demo" "$tmp/karvel-bench-$documents" --documents "$documents" \
      --date 01/12/2026 >/dev/null
done

figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
{
  "$build/bench/karvel-bench-lookup"
  "$build/bench/karvel-bench-reading"
  "$build/bench/karvel-bench-startup"
  for documents in 10000 99999 1000000; do
    "$build/bench/karvel-bench-form4" --documents "$documents"
  done
  "$build/bench/karvel-bench-overdue"
} | tee "$figures"

echo
echo "| figure | value | baseline | ratio |"
echo "|---|---|---|---|"
sed -nE 's/^(.*): (.*) \(baseline: (.*), ratio (.*)\)$/| \1 | \2 | \3 | \4 |/p' "$figures"
