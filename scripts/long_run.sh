#!/usr/bin/env bash
# A long run of `zelvanor-cli log` against the simulator at its fastest: a VORN8 that stays
# quiet for three seconds (so that it can be identified) and then sends a count line every
# 10 ms. Stops after COUNTS count lines and prints, every REPORT counts, the resident memory of
# the logging process and the capture saves seen so far; at the end, the lines of the journal
# it saved when it stopped.
#
#   ./scripts/long_run.sh [COUNTS [REPORT]]      (100000 and 10000 by default)
#
# Uses the programs of build/ (built by ./scripts/test.sh). Every sixty count lines make one
# "hour" of the counter, after which the capture is saved: each save replaces the file, so it
# is seen as a new inode of the capture file.
set -euo pipefail
cd "$(dirname "$0")/.."

counts=${1:-100000}
report=${2:-10000}
bin=${ZEL_BIN:-build/bin} # or the directory given in ZEL_BIN
[ -x "$bin/zelvanor-cli" ] && [ -x "$bin/zelvanor-sim" ] || {
  echo "build first: ./scripts/test.sh" >&2
  exit 1
}

dir=$(mktemp -d)
cleanup() {
  [ -n "${cli:-}" ] && kill "$cli" 2>/dev/null || true
  [ -n "${sim:-}" ] && kill "$sim" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

"$bin/zelvanor-sim" --model VORN8 --period-ms 10 --first-count-ms 3000 >"$dir/sim.out" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -s "$dir/sim.out" ] && break; sleep 0.1; done
port=$(head -n1 "$dir/sim.out")
mkdir "$dir/data"
"$bin/zelvanor-cli" log --port "$port" --line 1 --dir "$dir/data" >"$dir/cli.out" 2>&1 &
cli=$!

rss() { awk '/VmRSS/ {print $2}' "/proc/$cli/status" 2>/dev/null || echo "?"; }
capture="$dir/data/VORN8_01234.txt"
saves=0
last_inode=""
next=$report
start=$(date +%s)
printf '%8s %10s %8s %6s\n' counts "rss (kB)" saves "s"
n=0
while kill -0 "$cli" 2>/dev/null; do
  for _ in $(seq 20); do
    inode=$(stat -c %i "$capture" 2>/dev/null || true)
    if [ -n "$inode" ] && [ "$inode" != "$last_inode" ]; then
      saves=$((saves + 1))
      last_inode=$inode
    fi
    sleep 0.05
  done
  n=$(grep -c '^<- CM=' "$dir/cli.out" || true)
  if [ "$n" -ge "$next" ]; then
    printf '%8d %10s %8d %6d\n' "$n" "$(rss)" "$saves" $(($(date +%s) - start))
    next=$((next + report))
  fi
  [ "$n" -ge "$counts" ] && break
done
kill -INT "$cli"
wait "$cli" || true
cli=
echo "journal file after the stop: $(wc -l <"$dir/data/cg_log.txt") lines"
echo "hours of counts: $((n / 60)), capture saves seen: $saves (polled, so a lower bound)"
