#!/usr/bin/env bash
# Configures and builds Vantrel into build/ (or $VANTREL_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${VANTREL_BUILD_DIR:-build}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=${VANTREL_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
