#!/usr/bin/env bash
# Installs what is missing, builds Quillmere and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DQUILLMERE_BUILD_TESTS=OFF -DQUILLMERE_BUILD_BENCHMARKS=OFF
cmake --build build --target quillmere
exec build/app/quillmere "$@"
