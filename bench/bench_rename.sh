#!/usr/bin/env bash
# Renaming a large folder, as whole processes: QuenzaRen run from the command line
# ("/p folder /e modereplace /x", offscreen) against the Perl rename tool (file-rename) doing
# the same renaming. The two take turns for a number of rounds on fresh folders; prints the
# median time of each, the ratio of the medians and QuenzaRen's highest peak memory. Run by
# hand; not part of the test suite.
#
#   bench/bench_rename.sh [build-dir] [file-count] [rounds]
#
# build-dir defaults to ./build (QuenzaRen is taken from build-dir/mainwindow), file-count to
# 30000, rounds to 5 (a shared machine's noise easily moves a single round by a tenth). Everything happens below a fresh temporary folder: the files, the settings (a private
# XDG_CONFIG_HOME, so the user's own settings are neither read nor changed), HOME and the
# program folder with its log.txt. The settings turn every "file" into "item" on the Replace
# tab, in names only, with Instant Preview off.
set -euo pipefail

build_dir=${1:-build}
count=${2:-30000}
rounds=${3:-5}
program="$build_dir/mainwindow/QuenzaRen"
if [[ ! -x "$program" ]]; then
    echo "QuenzaRen not found at $program; build first or pass the build folder" >&2
    exit 1
fi
program=$(realpath "$program")

if [[ ! -x /usr/bin/time ]]; then
    echo "Installing the time package (peak memory)..." >&2
    if [[ $(id -u) -eq 0 ]]; then
        apt-get install -y time >/dev/null || { apt-get update >/dev/null && apt-get install -y time >/dev/null; }
    else
        sudo apt-get install -y time >/dev/null
    fi
fi

if ! command -v file-rename >/dev/null 2>&1; then
    echo "Installing the rename package (file-rename)..." >&2
    if [[ $(id -u) -eq 0 ]]; then
        apt-get install -y rename >/dev/null || { apt-get update >/dev/null && apt-get install -y rename >/dev/null; }
    else
        sudo apt-get install -y rename >/dev/null
    fi
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quenza-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

make_files() {
    local folder=$1
    rm -rf "$folder"
    mkdir -p "$folder"
    (cd "$folder" && seq -f "file%05g.txt" 1 "$count" | xargs touch)
}

count_renamed() {
    find "$1" -maxdepth 1 -type f -name 'item*.txt' | wc -l
}

now() { date +%s.%N; }

# --- QuenzaRen ---
mkdir -p "$work/config/Tessaly" "$work/home" "$work/program"
cat >"$work/config/Tessaly/Quenza Renamer.ini" <<'EOF'
[General]
tabStrip=1
optReplace=0
txtFind=file
txtReplace=item
chkCaseSensitive=0
txtReplaceStart=0
txtReplaceCount=0
chkProcessFilename=1
chkProcessFileExt=0
chkOnlyRenameSelected=0
chkFiles=1
chkDirs=0
chkSub=0
chkRealtimePreview=0
chkSimulation=0
EOF
cp "$build_dir"/mainwindow/*.txt "$work/program/" 2>/dev/null || true

folder="$work/files"

run_quenza() {
    make_files "$folder"
    rm -f "$work/program/log.txt"
    local start end
    start=$(now)
    /usr/bin/time -f '%M' -o "$work/peak.txt" \
        env HOME="$work/home" XDG_CONFIG_HOME="$work/config" QUENZA_PROGRAM_DIR="$work/program" \
        QT_QPA_PLATFORM=offscreen "$program" /p "$folder/" /e modereplace /x >/dev/null 2>&1
    end=$(now)
    local renamed
    renamed=$(count_renamed "$folder")
    if [[ $renamed -ne $count ]]; then
        echo "QuenzaRen renamed $renamed of $count files" >&2
        exit 1
    fi
    quenza_times+=("$(echo "$end - $start" | bc -l)")
    local peak
    peak=$(cat "$work/peak.txt")
    if (( peak > peak_kb )); then
        peak_kb=$peak
    fi
}

run_perl_rename() {
    make_files "$folder"
    local start end
    start=$(now)
    (cd "$folder" && find . -maxdepth 1 -type f -name 'file*' -print0 | file-rename -0 's/file/item/')
    end=$(now)
    local renamed
    renamed=$(count_renamed "$folder")
    if [[ $renamed -ne $count ]]; then
        echo "file-rename renamed $renamed of $count files" >&2
        exit 1
    fi
    perl_times+=("$(echo "$end - $start" | bc -l)")
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

quenza_times=()
perl_times=()
peak_kb=0
for (( round = 0; round < rounds; ++round )); do
    run_quenza
    run_perl_rename
done
quenza=$(median "${quenza_times[@]}")
perl_rename=$(median "${perl_times[@]}")

printf 'files:        %d, %d rounds\n' "$count" "$rounds"
printf 'QuenzaRen:    %.3f s median (%s)\n' "$quenza" "${quenza_times[*]}"
printf 'file-rename:  %.3f s median (%s)\n' "$perl_rename" "${perl_times[*]}"
printf 'ratio:        %.2f (QuenzaRen / file-rename, medians)\n' "$(echo "$quenza / $perl_rename" | bc -l)"
printf 'QuenzaRen peak memory: %d MB\n' "$(( peak_kb / 1024 ))"
