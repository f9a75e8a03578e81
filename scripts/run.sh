#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-options.sh
scripts/install-deps.sh
# The tree the test command builds and tests.
scripts/build.sh build "${main_build_options[@]}"
# The editor looks for carriers.dat in its working folder: run in build/run, which gets a copy
# of the example carrier list unless it holds one already.
root="$PWD"
mkdir -p build/run
[ -e build/run/carriers.dat ] || cp examples/carriers.dat build/run/
# F1 opens the user guide from the working folder: the one this build made.
cp -f "build/doc/Professional Settings User Guide.pdf" build/run/
cd build/run
exec "$root/build/src/app/velomar-settings" "$@"
