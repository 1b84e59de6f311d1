#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the layer and format checks, the
# suite, the Debian package checked as a user gets it, the suite built with the portable fallbacks
# that other systems compile, the suite under AddressSanitizer and UndefinedBehaviorSanitizer, and
# each fuzz target for a bounded time. Compiler warnings are errors in every build here.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs="$(nproc)"
fuzz_seconds="${BRINDLEWICK_FUZZ_SECONDS:-15}"

echo "== Layers"
tools/check-layers.sh

echo "== Format"
find . \( -path ./.git -o -path './build*' -o -path ./out \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run -Werror || { echo "format: run clang-format -i on the files above" >&2; exit 1; }
echo "format: every file as clang-format writes it"

echo "== Test suite"
# Line tables (-g1) name the source lines in a backtrace and build far faster than full debug
# information; tools/run.sh builds the same way, so the two commands share one build.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DBRINDLEWICK_WARNINGS_AS_ERRORS=ON > /dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Debian package"
rm -rf build/package
(cd build && cpack -G DEB -B "$PWD/package" > /dev/null)
tools/check-package.sh build/package/*.deb

# The two builds below check what the first cannot; they skip what costs build time and checks
# nothing more there: debug information, and in the portable build the benchmark, which other
# systems do not build either. They compile each target's files together (a unity build); the main
# build above compiles every file on its own, so a missing include still shows there.
echo "== Test suite with the portable fallbacks"
# The fallbacks live in core/, listops/ and listfiles/ only (the calls of core/Platform.h and the
# system calls beside them), so the suites of those layers are the ones built and run this way; the
# panes and the window above run the same code as in the main build.
portable_suites=(tests/core tests/listops tests/listfiles)
cmake -S . -B build-portable -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLEWICK_PORTABLE=ON -DBRINDLEWICK_BENCH=OFF \
    -DCMAKE_UNITY_BUILD=ON -DBRINDLEWICK_WARNINGS_AS_ERRORS=ON > /dev/null
cmake --build build-portable -j "$jobs" --target "${portable_suites[@]/%//all}"
for suite in "${portable_suites[@]}"; do
    ctest --test-dir "build-portable/$suite" --output-on-failure -j "$jobs"
done

echo "== Test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
# Line tables are all a sanitizer's report needs to name the source lines.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
    -DBRINDLEWICK_SANITIZE=ON -DCMAKE_UNITY_BUILD=ON -DBRINDLEWICK_WARNINGS_AS_ERRORS=ON > /dev/null
cmake --build build-asan -j "$jobs"
(
    cd build-asan
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/../tools/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --output-on-failure -j "$jobs"
)

echo "== Fuzzing (${fuzz_seconds} s per target)"
# Built like the sanitizer build: line tables and each target's files compiled together.
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
    -DBRINDLEWICK_FUZZ=ON -DCMAKE_UNITY_BUILD=ON -DBRINDLEWICK_WARNINGS_AS_ERRORS=ON > /dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_listfilereader fuzz_pathrepair
for target in listfilereader pathrepair; do
    found="$(mktemp -d)"
    # New inputs go to the scratch folder; the seed corpus in the repository stays as it is.
    (cd "$found" && "$OLDPWD/build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        "$found" "$OLDPWD/tests/fuzz/corpus/$target" 2>&1 | tail -n 12)
    rm -rf "$found"
done

# Every stage above stops the script on its first failure, so reaching here means all passed.
count() { ctest --test-dir "$1" -N | sed -n 's/^Total Tests: //p'; }
portable=0
for suite in "${portable_suites[@]}"; do portable=$((portable + $(count "build-portable/$suite"))); done
echo "all stages: $(( $(count build) + portable + $(count build-asan) + 2 )) passed, 0 failed"
