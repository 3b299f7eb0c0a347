#!/usr/bin/env bash
# Installs the build dependencies, builds the converter and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)" --target tessel-cli
build/dev/cli/tessel-cli --version
build/dev/cli/tessel-cli --help
