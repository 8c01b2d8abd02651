#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program (arguments go to the program).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
# Only what running needs: the program (with the lists and the help page copied beside it), the
# registration tool and the tag library; the tests and benchmarks are left to scripts/test.sh.
# Each library is compiled as a few large units, which builds it in far fewer steps.
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZA_UNITY_BUILD=ON \
    -- QuenzaRen quenza-regsvr OrvaneMP3

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "Built $root/build/mainwindow/QuenzaRen, but there is no display to show it on." >&2
    echo "Run this from a desktop session (or see scripts/screenshot.sh)." >&2
    exit 1
fi
# The program finds the tag library through its registration only: register the library just
# built, so that the program never picks up an older or a moved copy.
"$root/build/platform/quenza-regsvr" /s "$root/build/orvane/libOrvaneMP3.so"
exec "$root/build/mainwindow/QuenzaRen" "$@"
