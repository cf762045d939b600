#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a few seconds from its seed
# corpus. New inputs found go to a scratch directory; the seeds in fuzz/corpus stay as they are.
# FUZZ_SECONDS sets the time per target (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-5}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEL_FUZZ=ON -DZEL_WITH_QT=OFF -DZEL_WITH_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_all

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  mkdir -p "$work/$name"
  if ASAN_OPTIONS=detect_leaks=1 "build-fuzz/bin/fuzz_$name" -max_total_time="$seconds" \
       -max_len=4096 -artifact_prefix="$work/$name-" "$work/$name" "$corpus" \
       >"$work/$name.log" 2>&1; then
    echo "fuzz_$name: $(grep -E '^Done' "$work/$name.log" || echo ok)"
  else
    echo "fuzz_$name: FAILED"; tail -n 40 "$work/$name.log"; status=1
  fi
done
exit $status
