#!/usr/bin/env bash
# The benchmark suite: builds Release, writes the benchmark table
# (bench/BenchTable.h) and runs, each RUNS times, in one session on the same
# data:
#   quillex          quillex gen.adt out.db                 (end to end into SQLite)
#   quillex+filter   the same with /filter=[QTY]<500        (keeps half the records)
#   peer             the same rows as CSV, loaded by the sqlite3 shell's .import
#                    into a table declared like quillex's (the CSV export is not timed)
#   limit            the same rows inserted by a plain prepared statement in one
#                    transaction (bench_limit; rows read outside the timed part)
#   quillex 100k     a table of 100,000 records, for the memory comparison
# and prints the medians with the ratios the goals are stated in.
#
#   bench/run_all.sh [records] [runs]     (defaults: 1000000 3)
# Environment: BUILD (build folder, default build-bench), WORK (scratch folder).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
N=${1:-1000000}
RUNS=${2:-3}
SMALL=100000
BUILD=${BUILD:-$ROOT/build-bench}
OWNWORK=0
if [ -z "${WORK:-}" ]; then WORK=$(mktemp -d); OWNWORK=1; fi
cleanup() { if [ "$OWNWORK" = 1 ]; then rm -rf "$WORK"; fi; }
trap cleanup EXIT
command -v sqlite3 >/dev/null || { echo "the sqlite3 shell is needed for the peer" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed for peak memory" >&2; exit 1; }

echo "building Release in $BUILD ..." >&2
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DQUILLEX_TESTS=OFF -DQUILLEX_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target quillex gen_adt bench_limit >/dev/null
Q=$BUILD/quillex
GEN=$BUILD/bench/gen_adt
LIMIT=$BUILD/bench/bench_limit

echo "writing $N and $SMALL records in $WORK ..." >&2
"$GEN" "$WORK/gen.adt" "$N"
"$GEN" "$WORK/small.adt" "$SMALL"
SRC_BYTES=$(( $(stat -c %s "$WORK/gen.adt") + $(stat -c %s "$WORK/gen.adm") ))

# timed <name> <command...>: one run; appends "elapsed user+sys maxrss_kb" to $WORK/<name>.txt
timed() {
  local name=$1; shift
  /usr/bin/time -f '%e %U %S %M' -o "$WORK/time.out" "$@" >"$WORK/cmd.out" 2>&1 || {
    echo "failed: $*" >&2; cat "$WORK/cmd.out" >&2; exit 1; }
  awk '{ printf "%s %.3f %s\n", $1, $2 + $3, $4 }' "$WORK/time.out" | tail -1 >>"$WORK/$name.txt"
}

# The peer's input: the rows quillex stored, as CSV, and the same table declaration.
"$Q" "$WORK/gen.adt" "$WORK/out.db" >/dev/null
TABLE=$(sqlite3 "$WORK/out.db" "SELECT name FROM sqlite_master WHERE type='table' LIMIT 1")
sqlite3 "$WORK/out.db" "SELECT sql FROM sqlite_master WHERE type='table' LIMIT 1" >"$WORK/schema.sql"
echo ";" >>"$WORK/schema.sql"
sqlite3 -csv "$WORK/out.db" "SELECT * FROM \"$TABLE\"" >"$WORK/gen.csv"
ROWS=$(sqlite3 "$WORK/out.db" "SELECT count(*) FROM \"$TABLE\"")
FROWS=0
{ cat "$WORK/schema.sql"; echo ".import --csv $WORK/gen.csv \"$TABLE\""; } >"$WORK/peer.sql"

rm -f "$WORK"/*.txt
for run in $(seq 1 "$RUNS"); do
  echo "run $run of $RUNS ..." >&2
  rm -f "$WORK/out.db"; timed quillex "$Q" "$WORK/gen.adt" "$WORK/out.db"
  rm -f "$WORK/filt.db"; timed filter "$Q" "$WORK/gen.adt" "$WORK/filt.db" "/filter=[QTY]<500"
  rm -f "$WORK/peer.db"; timed peer sqlite3 "$WORK/peer.db" ".read $WORK/peer.sql"
  "$LIMIT" "$WORK/out.db" "$WORK/limit.db" | awk '{ print $2, $3 }' >>"$WORK/limit.txt"
  rm -f "$WORK/small.db"; timed small "$Q" "$WORK/small.adt" "$WORK/small.db"
done
FROWS=$(sqlite3 "$WORK/filt.db" "SELECT count(*) FROM \"$TABLE\"")
PROWS=$(sqlite3 "$WORK/peer.db" "SELECT count(*) FROM \"$TABLE\"")

# median <file> <column>
median() { awk -v c="$2" '{ print $c }' "$1" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
QT=$(median "$WORK/quillex.txt" 1); QC=$(median "$WORK/quillex.txt" 2); QM=$(median "$WORK/quillex.txt" 3)
FT=$(median "$WORK/filter.txt" 1); FC=$(median "$WORK/filter.txt" 2); FM=$(median "$WORK/filter.txt" 3)
PT=$(median "$WORK/peer.txt" 1); PC=$(median "$WORK/peer.txt" 2); PM=$(median "$WORK/peer.txt" 3)
LT=$(median "$WORK/limit.txt" 1); LC=$(median "$WORK/limit.txt" 2)
ST=$(median "$WORK/small.txt" 1); SM=$(median "$WORK/small.txt" 3)

awk -v n="$N" -v rows="$ROWS" -v frows="$FROWS" -v prows="$PROWS" -v bytes="$SRC_BYTES" -v runs="$RUNS" \
    -v qt="$QT" -v qc="$QC" -v qm="$QM" -v ft="$FT" -v fc="$FC" -v fm="$FM" \
    -v pt="$PT" -v pc="$PC" -v pm="$PM" -v lt="$LT" -v lc="$LC" -v st="$ST" -v sm="$SM" -v small="$SMALL" 'BEGIN {
  mb = bytes / 1e6
  printf "\nsource: %d records (%d live, %.1f MB .adt+.adm); medians of %d runs\n\n", n, rows, mb, runs
  printf "%-30s %9s %9s %12s %10s %10s\n", "", "wall s", "cpu s", "records/s", "src MB/s", "peak RSS"
  printf "%-30s %9.2f %9.2f %12.0f %10.1f %7.1f MB\n", "quillex -> SQLite", qt, qc, n / qt, mb / qt, qm / 1024
  printf "%-30s %9.2f %9.2f %12.0f %10.1f %7.1f MB\n", "quillex /filter=[QTY]<500", ft, fc, n / ft, mb / ft, fm / 1024
  printf "%-30s %9.2f %9.2f %12.0f %10s %7.1f MB\n", "peer: sqlite3 .import CSV", pt, pc, rows / pt, "-", pm / 1024
  printf "%-30s %9.2f %9.2f %12.0f %10s %10s\n", "limit: prepared INSERT", lt, lc, rows / lt, "-", "-"
  printf "%-30s %9.2f %9s %12.0f %10s %7.1f MB\n", "quillex, " small " records", st, "-", small / st, "-", sm / 1024
  printf "\n(filter kept %d of %d live records; peer loaded %d rows)\n\n", frows, rows, prows
  printf "goal (wall time; CPU time in brackets)      measured      target   met\n"
  r1 = pt / qt;  printf "%-42s %9.2fx %10s   %s   [%.2fx]\n", "quillex faster than the CSV peer", r1, ">= 1.5x", (r1 >= 1.5 ? "yes" : "NO"), pc / qc
  r2 = lt / qt;  printf "%-42s %9.0f%% %10s   %s   [%.0f%%]\n", "share of the prepared-insert limit", 100 * r2, ">= 60%", (r2 >= 0.6 ? "yes" : "NO"), 100 * lc / qc
  printf "%-42s %7.1f MB %10s   %s\n", "peak RSS at " n " records", qm / 1024, "< 32 MB", (qm / 1024 < 32 ? "yes" : "NO")
  r3 = qm / sm;  printf "%-42s %9.2fx %10s   %s\n", "peak RSS " n " / " small " records", r3, "<= 1.10x", (r3 <= 1.1 && r3 >= 1 / 1.1 ? "yes" : "NO")
  r4 = ft / qt;  printf "%-42s %9.2fx %10s   %s   [%.2fx]\n", "filtered / unfiltered time per record", r4, "<= 1.3x", (r4 <= 1.3 ? "yes" : "NO"), fc / qc
}'
