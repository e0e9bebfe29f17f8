#!/usr/bin/env bash
# Sets up, builds, and converts the sample table into an SQLite database.
set -euo pipefail
cd "$(dirname "$0")/.."
QUILLEX_SKIP_NPM=1 bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target quillex
./build/quillex
