#!/bin/bash
# Builds the libFuzzer targets (build/fuzz, clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for the given time, default 60 seconds:
#   fuzz/run.sh [seconds]
# Each fuzz/<target>.cpp is a target. Each first runs every input of its seed corpus
# fuzz/corpus/<target>/ (when it has one) and of the inputs it found before, then fuzzes;
# the inputs it finds on the way go to build/fuzz/corpus/<target>/, anything that crashes
# or breaks a property to build/fuzz/findings/<target>/. A run that fails without leaving
# an input (it could not start, say) counts as a finding too. Prints executions and
# findings per target and in total; the exit status is 1 when anything was found.
set -e
seconds="${1:-60}"
parvola_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$parvola_root/tools/setup.sh"
command -v cmake >/dev/null || parvola_apt_install cmake make
parvola_install_clang_runtime

build="$parvola_root/build/fuzz"
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$parvola_root/native" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DPARVOLA_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

targets=()
for source in "$parvola_root"/fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
total_runs=0
total_findings=0
printf '%-16s %14s %9s\n' target executions findings
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target" findings="$build/findings/$target" log="$build/$target.log"
  mkdir -p "$corpus"
  rm -rf "$findings" && mkdir -p "$findings"
  # The info file is read up to 32 KiB, and recovery sets' seeds are a few KiB: their
  # inputs may grow past that.
  max_len=4096
  [ "$target" = info_file ] && max_len=40000
  [ "$target" = par2_packets ] && max_len=16384
  seeds=()
  [ -d "$parvola_root/fuzz/corpus/$target" ] && seeds=("$parvola_root/fuzz/corpus/$target")
  status=0
  (cd "$build" && "./fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
     -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1) || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  # After a finding libFuzzer prints no final statistics: take its last progress line.
  [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  runs=${runs:-0}
  found=$(find "$findings" -type f | wc -l)
  [ "$status" -eq 0 ] || [ "$found" -gt 0 ] || found=1
  printf '%-16s %14s %9s\n' "$target" "$runs" "$found"
  [ "$found" -eq 0 ] || echo "  see $log and $findings" >&2
  total_runs=$((total_runs + runs))
  total_findings=$((total_findings + found))
done
printf '%-16s %14s %9s\n' total "$total_runs" "$total_findings"
[ "$total_findings" -eq 0 ]
