#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the suite, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs="$(nproc)"
fuzz_seconds="${BRINDLEWICK_FUZZ_SECONDS:-30}"

echo "== Layers"
tools/check-layers.sh

echo "== Test suite"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEWICK_SANITIZE=ON > /dev/null
cmake --build build-asan -j "$jobs"
(
    cd build-asan
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/../tools/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --output-on-failure -j "$jobs"
)

echo "== Fuzzing (${fuzz_seconds} s per target)"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEWICK_FUZZ=ON > /dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_listfilereader fuzz_pathrepair
for target in listfilereader pathrepair; do
    found="$(mktemp -d)"
    # New inputs go to the scratch folder; the seed corpus in the repository stays as it is.
    (cd "$found" && "$OLDPWD/build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        "$found" "$OLDPWD/tests/fuzz/corpus/$target" 2>&1 | tail -n 12)
    rm -rf "$found"
done

# Every stage above stops the script on its first failure, so reaching here means all passed.
count() { (cd "$1" && ctest -N | sed -n 's/^Total Tests: //p'); }
echo "all stages: $(( $(count build) + $(count build-asan) + 2 )) passed, 0 failed"
