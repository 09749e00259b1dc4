#!/usr/bin/env bash
# Set-up, build and the whole test suite: the normal build (headless, GUI under Xvfb, benchmarks
# run once briefly), then the tests again built with AddressSanitizer and
# UndefinedBehaviorSanitizer, leaks checked in all of them, then every fuzz target for a
# bounded time (KV_FUZZ_SECONDS each, 60 by default; scripts/fuzz.sh). Any failure, sanitizer
# finding or fuzzing finding fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${KV_JOBS:-$(nproc 2>/dev/null || echo 2)}

bash scripts/setup.sh

echo "== build"
bash scripts/build.sh build -DKV_WERROR=ON
echo "== tests"
# A failed test runs once more: the window tests wait on a real X server and a software
# rasteriser, and on a loaded machine one of them now and then misses its moment; a fault of
# ours fails both runs.
(cd build && ctest --output-on-failure --timeout 600 --parallel "$jobs" --repeat until-pass:2 </dev/null)

echo "== sanitizer build"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON -DKV_GUI=ON -DKV_BENCHMARKS=OFF -DKV_WERROR=ON
echo "== sanitizer tests"
(cd build-asan &&
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 &&
  export LSAN_OPTIONS=suppressions="$root/tests/support/lsan.supp" &&
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 &&
  ctest --output-on-failure --timeout 600 --parallel "$jobs" -L headless </dev/null &&
  # The GUI tests, each under its own X server, the everyday-cycle soak among them. The software
  # rasteriser draws on the test's own thread, with no workers: the leak check at exit stops every
  # thread, and now and then it crashed on a rasteriser thread that was ending ("Tracer caught
  # signal 11"). A failed test runs once more, so that a crash of the checker alone does not fail
  # the run; a leak or fault of ours fails both runs.
  LP_NUM_THREADS=0 ctest --output-on-failure --timeout 600 --parallel "$jobs" -L gui \
    --repeat until-pass:2 </dev/null)

echo "== fuzz build"
bash scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DKV_FUZZ=ON -DKV_GUI=OFF -DKV_WERROR=ON
echo "== fuzzing"
KV_JOBS=$jobs bash scripts/fuzz.sh build-fuzz
