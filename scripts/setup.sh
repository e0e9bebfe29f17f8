#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (as root):
# the compiler and build tools, SQLite, GoogleTest, clang for the fuzz
# targets, and the two independent .mdb readers the tests compare against
# (mdbtools, and the npm package mdb-reader under tools/).
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake g++ make pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev mdbtools man-db)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  missing+=(nodejs npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
if [ "${QUILLEX_SKIP_NPM:-0}" != 1 ] && [ ! -d tools/node_modules/mdb-reader ]; then
  (cd tools && npm install --no-audit --no-fund --loglevel=error)
fi
