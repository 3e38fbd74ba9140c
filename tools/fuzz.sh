#!/usr/bin/env bash
# tools/fuzz.sh [SECONDS]: builds the libFuzzer targets of tests/fuzz with clang, the Qt-free
# core instrumented for coverage with the address and undefined-behaviour sanitizers, into
# build-fuzz/ (or $VANTREL_FUZZ_BUILD_DIR), then runs each target for SECONDS (default 20) on
# a scratch copy of its seed corpus tests/fuzz/corpus/<name>/. Fails when a target finds a
# crash, a leak, undefined behaviour or an input that takes over 10 s; the input that did it
# is kept in <build folder>/fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
dir=${VANTREL_FUZZ_BUILD_DIR:-build-fuzz}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_CORE_ONLY=ON \
  -DVANTREL_FUZZ=ON -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$dir" --target vantrel_fuzz -j"$(nproc)"

# A smaller quarantine than the default 256 MB: freed memory is reused sooner, so a target
# spends its time on inputs rather than on page faults; frees within one input are still caught.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$dir/fuzz-findings"
failed=()
for target in "$dir"/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  corpus="$scratch/corpus-$name"
  mkdir -p "$corpus"
  if [ -d "tests/fuzz/corpus/$name" ]; then cp -R "tests/fuzz/corpus/$name/." "$corpus/"; fi
  log="$scratch/$name.log"
  if "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$scratch/$name-" "$corpus" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $name: ok, $runs runs, $execs exec/s, $cov edges"
  else
    echo "fuzz $name: FAILED"
    tail -n 60 "$log"
    mkdir -p "$findings"
    cp "$scratch/$name-"* "$findings/" 2>/dev/null || true
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz findings in: ${failed[*]} (inputs kept in $findings)"
  exit 1
fi
