#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the layer and format checks, the
# suite, the Debian package checked as a user gets it, the suite under AddressSanitizer and
# UndefinedBehaviorSanitizer built with the portable fallbacks that other systems compile, and each
# fuzz target for a bounded time, and last, alone, the speed gate. Compiler warnings are errors in
# every build here.
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
# Of the benchmark it builds the speed gate; the sanitizer build below runs the benchmark's smoke runs.
# Each target's files compile together (a unity build): Qt's headers, most of a file's compile time,
# are read once for several files (on a fresh clone here the build took 114 s instead of 159 s).
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DCMAKE_UNITY_BUILD=ON -DBRINDLEWICK_WARNINGS_AS_ERRORS=ON -DBRINDLEWICK_SPEED_GATE_ONLY=ON > /dev/null
cmake --build build -j "$jobs"
# The fuzz targets build meanwhile, below the tests' priority, on the time the tests leave idle.
fuzz_log="$(mktemp)"
(
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DBRINDLEWICK_FUZZ=ON -DCMAKE_UNITY_BUILD=ON \
        -DBRINDLEWICK_WARNINGS_AS_ERRORS=ON
    nice -n 10 cmake --build build-fuzz -j "$jobs" --target fuzz_listfilereader fuzz_pathrepair
) > "$fuzz_log" 2>&1 &
fuzz_build=$!
# The build may have ended and been waited for: a kill that finds no process is no failure.
trap 'kill "$fuzz_build" 2>/dev/null || true; rm -f "$fuzz_log"' EXIT
# The speed gate runs last, alone: beside the fuzz build the helper thread's wait for a busy core
# would count as our processor time.
(cd build && ctest --output-on-failure -j "$jobs" -E '^speed_gate$')

echo "== Debian package"
rm -rf build/package
(cd build && cpack -G DEB -B "$PWD/package" > /dev/null)
tools/check-package.sh build/package/*.deb

# The sanitizer build runs every test over the portable fallbacks of core/Platform.cpp, the main
# build over the Linux calls (the allocator's memory the fallbacks use has guard zones, mapped pages
# have none), and the benchmark's smoke runs. Clang builds it a quarter faster than GCC, and each
# compiler's warnings are errors in one build. Like the main build it compiles each target's files
# together, with line tables only.
echo "== Test suite with the portable fallbacks, under AddressSanitizer and UndefinedBehaviorSanitizer"
# A build folder that GCC configured earlier is made anew for clang.
grep -qs 'CMAKE_CXX_COMPILER:[A-Z]*=.*clang' build-asan/CMakeCache.txt || rm -rf build-asan
# Line tables are all a sanitizer's report needs to name the source lines.
CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
    -DBRINDLEWICK_SANITIZE=ON -DBRINDLEWICK_PORTABLE=ON -DCMAKE_UNITY_BUILD=ON \
    -DBRINDLEWICK_WARNINGS_AS_ERRORS=ON > /dev/null
cmake --build build-asan -j "$jobs"
(
    cd build-asan
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/../tools/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --output-on-failure -j "$jobs"
)

echo "== Fuzzing (${fuzz_seconds} s per target)"
# Built like the sanitizer build (line tables, each target's files compiled together), during the suite.
wait "$fuzz_build" || { cat "$fuzz_log"; exit 1; }
# The targets run side by side, one a core; each prints its summary when it ends.
for target in listfilereader pathrepair; do
    (
        found="$(mktemp -d)"
        log="$found.log"
        trap 'rm -rf "$found" "$log"' EXIT
        # New inputs go to the scratch folder; the seed corpus in the repository stays as it is.
        cd "$found" && "$OLDPWD/build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
            "$found" "$OLDPWD/tests/fuzz/corpus/$target" > "$log" 2>&1 || { cat "$log"; exit 1; }
        echo "fuzz_$target:" && tail -n 12 "$log"
    ) &
done
for _ in 1 2; do wait -n || exit 1; done

echo "== Speed gate"
(cd build && ctest --output-on-failure -R '^speed_gate$')

# Every stage above stops the script on its first failure, so reaching here means all passed.
count() { ctest --test-dir "$1" -N | sed -n 's/^Total Tests: //p'; }
echo "all stages: $(( $(count build) + $(count build-asan) + 2 )) passed, 0 failed"
