#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the full build under CTest, then the
# Qt-free core again with the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh
(cd build && ctest --output-on-failure -j2)
VANTREL_BUILD_DIR=build-asan VANTREL_BUILD_TYPE=Debug bash tools/build.sh \
  -DVANTREL_SANITIZE=ON -DVANTREL_CORE_ONLY=ON -DVANTREL_BUILD_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j2)
bash tools/fuzz.sh 20
