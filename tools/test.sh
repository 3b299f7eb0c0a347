#!/usr/bin/env bash
# Installs the build dependencies, then builds and runs every test twice:
# an optimised build and an AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh

# The core library must stay free of any GUI toolkit.
if grep -rnE '#include\s*[<"](Q[A-Za-z]+|qt[A-Za-z/]*)' src/; then
  echo "error: src/ includes Qt headers" >&2
  exit 1
fi
jobs=$(nproc)
for preset in dev asan; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== ${preset}: tests"
  ctest --preset "$preset" -j "$jobs"
done
