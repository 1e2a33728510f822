#!/bin/sh
# Builds the profile reader fuzzer with clang (libFuzzer + ASan + UBSan) and
# runs it. Usage: fuzz/run.sh [seconds] [build folder]
set -eu
SECONDS_TO_RUN=${1:-60}
SRC=$(cd "$(dirname "$0")/.." && pwd)
OUT=${2:-$SRC/build-fuzz}
CXX=${CXX:-clang++}
mkdir -p "$OUT/corpus"
FLAGS="-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
SOURCES="$SRC/fuzz/profile_reader_fuzzer.cpp
  $SRC/profiles/json_file.cpp $SRC/profiles/profile_folders.cpp
  $SRC/profiles/basic_profiledata.cpp $SRC/profiles/keyboard_profiledata.cpp
  $SRC/profiles/mouse_profiledata.cpp $SRC/profiles/hs6533_profiledata.cpp
  $SRC/platform/atomic_file.cpp $SRC/platform/debug_output.cpp $SRC/platform/folders.cpp"
# shellcheck disable=SC2086
$CXX $FLAGS -I"$SRC" -isystem /usr/include/jsoncpp $SOURCES -ljsoncpp -o "$OUT/profile_reader_fuzzer"
# Seeds: every shipped file behind each selector value.
for f in "$SRC"/DefaultData/*; do
  base=$(basename "$f")
  for sel in 0 1 2 3 4 8 12; do
    { printf "\\$(printf '%03o' "$sel")"; cat "$f"; } > "$OUT/corpus/$sel-$base"
  done
done
exec "$OUT/profile_reader_fuzzer" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 \
  -timeout=10 -rss_limit_mb=2048 "$OUT/corpus"
