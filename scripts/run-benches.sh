#!/bin/sh
# Runs every benchmark of a build folder, offscreen, and reports each one's peak memory.
set -e
dir="$1"
export QT_QPA_PLATFORM=offscreen
for b in "$dir"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  /usr/bin/time -f "peak memory: %M KiB" "$b"
done
