#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

program="$root/build/mainwindow/QuenzaRen"
if [[ -x "$program" ]]; then
    exec "$program" "$@"
fi
echo "Built the naming engine and the platform layer in $root/build."
echo "The program's main window does not exist yet, so there is nothing to start."
