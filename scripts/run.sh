#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset normal >/dev/null
cmake --build --preset normal -j "$(nproc)"
exec build/normal/app/KUZUtilSQL
