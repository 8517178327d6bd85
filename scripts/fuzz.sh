#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each one for a bounded time on its committed seed corpus.
#   scripts/fuzz.sh [TARGET...]      targets: script ma nodes (default: all)
# FUZZ_SECONDS (default 60) bounds each run; BUILD_DIR (default build-fuzz) is the
# build folder. New inputs go to BUILD_DIR/fuzz-corpus/<target>, never into the
# repository; a crash, hang or leak leaves its input in BUILD_DIR/fuzz-artifacts
# and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh
build=${BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(script ma nodes)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRIGDIALS_FUZZ=ON -DRIGDIALS_SANITIZE=ON -DRIGDIALS_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target rigDials $(printf 'fuzz_%s ' "${targets[@]}")

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Absolute paths: the targets work in a private temporary folder.
out=$(cd "$build" && pwd)
mkdir -p "$out/fuzz-artifacts"
for t in "${targets[@]}"; do
  mkdir -p "$out/fuzz-corpus/$t"
  # Longest input per target (the seeds alone would hold it at their size).
  case $t in nodes) max_len=512 ;; *) max_len=4096 ;; esac
  # A target's dictionary of its language's words, when it has one.
  dict=()
  [ -f "$root/fuzz/$t.dict" ] && dict=(-dict="$root/fuzz/$t.dict")
  echo "== fuzz_$t for ${seconds}s"
  "$out/bin/fuzz_$t" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=$max_len "${dict[@]}" \
    -print_final_stats=1 -artifact_prefix="$out/fuzz-artifacts/$t-" \
    "$out/fuzz-corpus/$t" "$root/fuzz/corpus/$t"
done
