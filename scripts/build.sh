#!/usr/bin/env bash
# Configures and builds into the given folder: scripts/build.sh BUILD_DIR [cmake options...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$1
shift
cmake -S "$root" -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
