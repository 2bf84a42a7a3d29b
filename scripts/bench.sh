#!/usr/bin/env bash
# Builds and runs every benchmark (Release build in build-bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_BUILD_TESTS=OFF
cmake --build build-bench
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
for bench in build-bench/bench/*Bench; do
  "$bench" "$@"
done
