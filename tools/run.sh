#!/usr/bin/env bash
# Installs what is missing, builds, and starts the player on the bundled demo content.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh
exec build/bin/Vantrel
