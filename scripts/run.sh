#!/usr/bin/env bash
# Installs what is missing, builds Quillmere and starts it on your own data folder
# (~/.local/share/Quillmere, or $XDG_DATA_HOME/Quillmere).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLMERE_BUILD_TESTS=OFF -DQUILLMERE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-run --target quillmere
exec build-run/app/quillmere "$@"
