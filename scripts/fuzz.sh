#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build (cmake -DKV_FUZZ=ON, see scripts/test.sh) and fails on
# any crash, sanitizer report, leak, input slower than 10 s or above 2 GB, printing the input.
#
#   scripts/fuzz.sh BUILD_DIR [TARGET...]      (targets by name: smiles, pdb_chain, ...)
#
# KV_FUZZ_SECONDS  time per target (default 60)
# KV_FUZZ_RUNS     inputs per target instead of a time, for long runs outside the test command
# KV_JOBS          targets at once (default 2)
#
# Each target starts from its committed corpus (fuzz/corpus/<target>), its kept inputs
# (fuzz/regressions/<target>) and, for the PDB targets, the PDB files of the pymol-data package,
# read where the package put them. What the run adds, its logs and its findings stay in
# BUILD_DIR/fuzz-work. Before the targets, the test-only marker target must be seen failing on
# its marker input: a runner that misses that fault would miss the others too.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: scripts/fuzz.sh BUILD_DIR [TARGET...]}" && pwd)
shift
seconds=${KV_FUZZ_SECONDS:-60}
runs=${KV_FUZZ_RUNS:-}
jobs=${KV_JOBS:-2}
work=$build/fuzz-work
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:print_legend=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

if [ "$#" -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for binary in "$build"/fuzz/fuzz_*; do
    name=${binary##*/fuzz_}
    [ -f "$binary" ] && [ -x "$binary" ] && [ "$name" != marker ] && targets+=("$name")
  done
fi
[ "${#targets[@]}" -gt 0 ] || { echo "no fuzz targets in $build/fuzz"; exit 1; }

# Prints what failed: the end of the log and every input the run kept as a finding, with its
# bytes escaped.
report() {
  local name=$1 log=$2 findings=$3
  echo "== fuzz_$name FAILED; the reports and the end of $log:"
  grep -E '^(==[0-9]+==ERROR|SUMMARY|==fuzz_)' "$log" | head -n 10
  tail -n 30 "$log"
  for input in "$findings"/*; do
    [ -f "$input" ] || continue
    echo "== failing input $input ($(stat -c %s "$input") bytes):"
    cat -v "$input" | head -c 4000
    echo
  done
}

# run_target NAME [SEED_DIR...]: one target for the time or the number of inputs asked for.
run_target() {
  local name=$1
  shift
  local corpus=$work/corpus/$name findings=$work/findings/$name log=$work/logs/$name.log
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings" "$work/logs"
  local seeds=("$@")
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  # Kept inputs seed the run, except those named slow-*: the tests replay them within a second,
  # but the whole chain runs some thirty times slower built for fuzzing, past the time limit.
  if [ -d "$root/fuzz/regressions/$name" ]; then
    rm -rf "$work/seeds/kept-$name"
    mkdir -p "$work/seeds/kept-$name"
    find "$root/fuzz/regressions/$name" -maxdepth 1 -type f ! -name 'slow-*' \
      -exec ln -sf -t "$work/seeds/kept-$name" {} +
    seeds+=("$work/seeds/kept-$name")
  fi
  if [[ $name == pdb* ]]; then
    mkdir -p "$work/seeds/pdb"
    dpkg -L pymol-data 2>/dev/null | grep '\.pdb$' | xargs -r ln -sf -t "$work/seeds/pdb"
    seeds+=("$work/seeds/pdb")
  fi
  local limit=(-max_total_time="$seconds")
  [ -n "$runs" ] && limit=(-runs="$runs")
  "$build/fuzz/fuzz_$name" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
    -detect_leaks=1 -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "${seeds[@]}" >"$log" 2>&1
  local status=$?
  if [ "$status" -ne 0 ] || compgen -G "$findings/*" >/dev/null; then
    report "$name" "$log" "$findings"
    return 1
  fi
  echo "fuzz_$name: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -1)s," \
    "$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)," \
    "$(grep -Eo 'average_exec_per_sec: +[0-9]+' "$log" | grep -Eo '[0-9]+') exec/s"
}

# The failure path: the marker target, seeded with its marker, must fail and show the input.
marker_seed=$work/seeds/marker
mkdir -p "$marker_seed"
printf 'kv-fuzz-marker' >"$marker_seed/marker"
marker_report=$(runs=1 run_target marker "$marker_seed")
if [ $? -eq 0 ] || ! grep -q 'heap-buffer-overflow' <<<"$marker_report" ||
   ! grep -q '^kv-fuzz-marker$' <<<"$marker_report"; then
  echo "The fuzz runner did not report the marker target's fault with its input:"
  echo "$marker_report"
  exit 1
fi
echo "fuzz runner: the marker target's fault and input were reported"

failed=()
status_dir=$work/status
rm -rf "$status_dir"
mkdir -p "$status_dir"
running=0
for name in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
  (run_target "$name" >"$status_dir/$name.out" 2>&1 || touch "$status_dir/$name.failed") &
  running=$((running + 1))
done
wait
for name in "${targets[@]}"; do
  cat "$status_dir/$name.out"
  [ -e "$status_dir/$name.failed" ] && failed+=("$name")
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "fuzzing passed: ${#targets[@]} targets"
