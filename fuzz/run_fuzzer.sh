#!/bin/sh
# Builds one fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (every library instrumented) and runs it on its corpus.
# Usage: fuzz/run_fuzzer.sh NAME [seconds] [more libFuzzer options]
#   NAME: fuzz_server, fuzz_client, fuzz_settings or fuzz_tally_decoder
# New inputs go to $FUZZ_OUT/NAME-corpus (default build-libfuzzer/), crashes to
# $FUZZ_OUT/NAME-artifacts/; copy crashing inputs into fuzz/corpus/ to keep them.
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
name=${1:?usage: $0 NAME [seconds] [options]}
seconds=${2:-60}
[ $# -ge 2 ] && shift 2 || shift $#
out=${FUZZ_OUT:-$root/build-libfuzzer}
case "$name" in
  fuzz_server) corpus=server ;;
  fuzz_client) corpus=client ;;
  fuzz_settings) corpus=settings ;;
  fuzz_tally_decoder) corpus=tally ;;
  *) echo "unknown fuzz target $name" >&2; exit 2 ;;
esac
if [ ! -f "$out/CMakeCache.txt" ]; then
  CXX=clang++-14 cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHANGMAN_LIBFUZZER=ON >/dev/null
fi
cmake --build "$out" -j"${JOBS:-2}" --target "$name"
mkdir -p "$out/$name-corpus" "$out/$name-artifacts"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec "$out/fuzz/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 \
  -artifact_prefix="$out/$name-artifacts/" "$@" "$out/$name-corpus" "$here/corpus/$corpus"
