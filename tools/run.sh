#!/usr/bin/env bash
# Installs what is missing, builds Brindlewick and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DCMAKE_UNITY_BUILD=ON > /dev/null
cmake --build build --target brindlewick -j "$(nproc)"
exec build/app/brindlewick
