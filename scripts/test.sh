#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite as built normally, the
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for
# a bounded time, and the Windows build of kestra-cfg under Wine. Exits non-zero when anything
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-20}

scripts/install-deps.sh

echo "== build and test"
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVELOMAR_SANITIZE=ON -DVELOMAR_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz for ${fuzz_seconds} s per target"
BUILD_TARGET=all_fuzzers scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DVELOMAR_FUZZ=ON -DVELOMAR_BENCH=OFF
FUZZ_SECONDS=$fuzz_seconds ctest --test-dir build-fuzz --output-on-failure -L fuzz

echo "== Windows build of kestra-cfg, tested under Wine against the Linux build"
scripts/build.sh build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELOMAR_GUI=OFF -DVELOMAR_BENCH=OFF \
    -DVELOMAR_LINUX_KESTRA_CFG="$PWD/build/tools/kestra-cfg/kestra-cfg"
ctest --test-dir build-win --output-on-failure -L wine -j "$jobs"

echo "== all tests passed"
