#!/usr/bin/env bash
# Configures and builds into the given folder:
#     scripts/build.sh BUILD_DIR [cmake options...] [-- targets...]
# Without targets it builds everything (the program, the tag library, every test and benchmark).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$1
shift
options=()
while [[ $# -gt 0 && "$1" != "--" ]]; do
    options+=("$1")
    shift
done
targets=()
if [[ $# -gt 0 ]]; then
    shift
    targets=(--target "$@")
fi
cmake -S "$root" -B "$build_dir" -G Ninja "${options[@]}"
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
