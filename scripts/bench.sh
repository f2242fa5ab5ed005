#!/usr/bin/env bash
# Builds the normal preset and runs every benchmark; each prints its ratio against a baseline
# measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset normal >/dev/null
cmake --build --preset normal -j "$(nproc)"
for bench in build/normal/bench/*_bench; do
    echo "== $(basename "$bench")"
    "$bench"
done
