#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (as root).
set -euo pipefail
packages=(cmake g++ make libsqlite3-dev sqlite3 libgtest-dev libgmock-dev pkg-config)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
