#!/usr/bin/env bash
# Builds the program, starts it on a virtual screen as on a first start (fresh settings and
# program folder, nothing of yours is read or written), and saves a picture of the screen:
#     scripts/screenshot.sh [OUTPUT.png [PROGRAM ARGUMENTS...]]
# OUTPUT defaults to build/screenshot.png; the arguments go to the program as they are, e.g.
#     scripts/screenshot.sh shot.png /p /some/folder
# Settings for that first start, as KEY=VALUE pairs separated by blanks:
#     QUENZA_SCREENSHOT_SETTINGS="showAllColumns=1 chkDirs=1" scripts/screenshot.sh ...
# Clicks before the picture is taken, as X,Y pixel pairs inside the window that is active at
# that moment (the main window, then any dialog a click opened), one second apart:
#     QUENZA_SCREENSHOT_CLICKS="220,460 40,20" scripts/screenshot.sh settings.png
# QUENZA_BUILD_DIR builds elsewhere than build/. The session poses as a GNOME desktop so that
# the icon theme (file-type icons) is used as on a desktop.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${QUENZA_BUILD_DIR:-$root/build}")
output=$(realpath -m "${1:-$build/screenshot.png}")
if (($#)); then
    shift
fi

# The virtual screen, a window manager (for the title bar) and the screen grabber.
"$root/scripts/setup.sh" xvfb xauth imagemagick x11-utils openbox xdotool
"$root/scripts/build.sh" "$build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{home,config,data,cache,program,runtime}
chmod 700 "$work/runtime"
cp "$root"/data/*.txt "$root"/data/help.html "$work/program/" 2>/dev/null || true
mkdir -p "$(dirname "$output")"

# The settings of the first start, in the store the program reads.
if [[ -n "${QUENZA_SCREENSHOT_SETTINGS:-}" ]]; then
    mkdir -p "$work/config/Tessaly"
    {
        echo "[General]"
        for pair in $QUENZA_SCREENSHOT_SETTINGS; do
            echo "$pair"
        done
    } >"$work/config/Tessaly/Quenza Renamer.ini"
fi

# Runs on the virtual screen: window manager, program, wait for its window, grab, close.
cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
program=$1
output=$2
shift 2
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$program" "$@" >"$HOME/program.log" 2>&1 &
pid=$!
for _ in $(seq 1 100); do
    if xwininfo -root -tree 2>/dev/null | grep -q "Quenza Renamer"; then
        break
    fi
    sleep 0.2
done
# Let the first activation finish (it reads the folder) and the window paint.
sleep 3
for click in ${QUENZA_SCREENSHOT_CLICKS:-}; do
    active=$(xdotool getactivewindow)
    xdotool mousemove --window "$active" "${click%,*}" "${click#*,}"
    sleep 0.5
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
    sleep 1.5
done
import -window root "$output"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
kill "$wm" 2>/dev/null || true
SESSION

# The tag library is registered in the temporary settings, as the run command does for real.
env HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
    "$build/platform/quenza-regsvr" /s "$build/orvane/libOrvaneMP3.so"

env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" \
    QUENZA_PROGRAM_DIR="$work/program" QT_QPA_PLATFORM=xcb XDG_CURRENT_DESKTOP=GNOME \
    xvfb-run -a -s "-screen 0 1280x800x24" \
    bash "$work/session.sh" "$build/mainwindow/QuenzaRen" "$output" "$@"

echo "Screenshot: $output"
