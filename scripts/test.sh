#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite on a release build made with
# g++, the suite again on the whole tree built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzz targets for a bounded time, and the Windows build of
# kestra-cfg under Wine. Warnings are errors in every build. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-options.sh
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-20}

stage_start=$SECONDS
stage() {
    echo "== $1 (the last stage took $((SECONDS - stage_start)) s)"
    stage_start=$SECONDS
}

scripts/install-deps.sh

stage "build with g++ (Release) and test"
scripts/build.sh build "${main_build_options[@]}"
ctest --test-dir build --output-on-failure -j "$jobs"

stage "build with clang (Debug, AddressSanitizer and UndefinedBehaviorSanitizer) and test"
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DVELOMAR_SANITIZE=ON -DVELOMAR_WERROR=ON -DVELOMAR_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j "$jobs"

stage "fuzz for ${fuzz_seconds} s per target"
BUILD_TARGET=all_fuzzers scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DVELOMAR_FUZZ=ON -DVELOMAR_WERROR=ON -DVELOMAR_BENCH=OFF
FUZZ_SECONDS=$fuzz_seconds ctest --test-dir build-fuzz --output-on-failure -L fuzz

stage "Windows build of kestra-cfg, tested under Wine against the Linux build"
scripts/build.sh build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELOMAR_GUI=OFF -DVELOMAR_WERROR=ON -DVELOMAR_BENCH=OFF \
    -DVELOMAR_LINUX_KESTRA_CFG="$PWD/build/tools/kestra-cfg/kestra-cfg"
ctest --test-dir build-win --output-on-failure -L wine -j "$jobs"

stage "all tests passed"
