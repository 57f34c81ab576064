#!/bin/sh
# Runs each libFuzzer target of a build folder for a number of seconds, starting from the seed
# corpus: the inputs it adds stay in <build>/fuzz-corpus/<target> for the next run. An input
# that crashes or loses a byte stops the run and is kept in <build>/fuzz-artifacts.
set -e
dir="$1"
seconds="${2:-60}"
src="$(cd "$(dirname "$0")/../tests/fuzz" && pwd)"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$src/../lsan.supp:print_suppressions=0"
mkdir -p "$dir/fuzz-artifacts"
for name in fuzz_detector fuzz_codecs fuzz_textbytes fuzz_texts fuzz_journal; do
  corpus="$dir/fuzz-corpus/$name"
  mkdir -p "$corpus"
  cp -n "$src"/corpus/* "$corpus"/
  echo "== $name, ${seconds} s"
  "$dir/tests/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 -dict="$src/encodings.dict" \
    -artifact_prefix="$dir/fuzz-artifacts/$name-" "$corpus"
done
