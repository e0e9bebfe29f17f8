#!/usr/bin/env bash
# Sets up, builds, converts the sample table sample/orders.adt (with its memo
# file sample/orders.adm) into the SQLite database orders.db in the
# repository root, and shows the result with the sqlite3 shell.
set -euo pipefail
cd "$(dirname "$0")/.."
QUILLEX_SKIP_NPM=1 bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target quillex
# Copy mode replaces the table on every run of the demo.
./build/quillex sample/orders.adt orders.db /mode=copy
echo "== the table (sqlite3 orders.db .schema)"
sqlite3 orders.db .schema
echo "== the first rows"
sqlite3 -header -column orders.db \
  "SELECT ORDER_ID, CUSTOMER, CITY, ORDERED, QTY, PAID, TOTAL FROM orders ORDER BY ORDER_ID LIMIT 10"
echo "== rows: $(sqlite3 orders.db 'SELECT count(*) FROM orders')"
echo "== a filtered copy: the paid orders over 500 into table big_paid"
./build/quillex sample/orders.adt orders.db big_paid /mode=copy "/filter=([PAID]) AND ([TOTAL]>500)"
sqlite3 -header -column orders.db "SELECT ORDER_ID, CUSTOMER, TOTAL FROM big_paid ORDER BY ORDER_ID"
