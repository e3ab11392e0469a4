#!/bin/sh
# Builds the tally decoder fuzzer with clang's libFuzzer and AddressSanitizer and
# runs it on the corpus. Usage: fuzz/build_tally_fuzzer.sh [seconds]   (default 60)
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${FUZZ_OUT:-$root/build-fuzz}
mkdir -p "$out" "$out/tally-corpus"
clang++-14 -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/src" $(pkg-config --cflags Qt6Core) \
  "$here/fuzz_tally_decoder.cpp" "$root/src/tally/tallycoder.cpp" "$root/src/tally/lzhuf.cpp" "$root/src/tally/tallytable.cpp" \
  $(pkg-config --libs Qt6Core) -o "$out/fuzz_tally_decoder"
"$out/fuzz_tally_decoder" -max_total_time="${1:-60}" -max_len=70000 -rss_limit_mb=1024 \
  "$out/tally-corpus" "$here/corpus/tally"
