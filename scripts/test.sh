#!/usr/bin/env bash
# Builds and runs every test: the full build with ctest, the core tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded fuzz
# run of the profile (INI) reader and writer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh

echo "== build and test"
scripts/build.sh build -DVELQO_WERROR=ON
ctest --test-dir build --output-on-failure -j"$(nproc)"

echo "== core tests under ASan and UBSan"
scripts/build.sh build-asan -DVELQO_WERROR=ON -DVELQO_SANITIZE=ON -DVELQO_CORE_ONLY=ON \
  -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L core

echo "== fuzzing the profile reader and writer"
scripts/build.sh build-fuzz -DVELQO_FUZZ=ON -DVELQO_CORE_ONLY=ON \
  -DVELQO_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
mkdir -p build-fuzz/corpus
build-fuzz/fuzz/profile_fuzz -max_total_time="${VELQO_FUZZ_SECONDS:-60}" -max_len=4096 \
  -print_final_stats=1 build-fuzz/corpus fuzz/corpus/profile 2>&1 | tail -n 15
echo "== all tests passed"
