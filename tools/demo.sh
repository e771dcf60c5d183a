#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the built-in demo database.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
"$root/build/bin/portalmend-cli" demo "$@"
