#!/usr/bin/env bash
# Every speed measure of the program against the tool a user would otherwise reach for, as
# whole processes in one run: QuenzaRen started from the command line ("/p folder/ /e mode /x",
# offscreen, its settings in a private INI) and the baseline take turns on fresh copies of the
# same files, for a number of rounds. Prints one row per measure: the medians, the ratio of
# the medians (and the highest ratio of one round), and the goal. Run by hand; not part of the
# test suite.
#
#   bash bench/bench_all.sh [build-dir] [file-count] [rounds] [only]
#
# build-dir defaults to ./build (a RelWithDebInfo build is what the goals are set for),
# file-count to 30000, rounds to 5; `only`, a regular expression, keeps the measures whose
# name it matches (all by default). Measures whose baseline tool is missing (and cannot be
# installed) are skipped with a note. Everything happens below a fresh temporary folder: the
# files, HOME, XDG_CONFIG_HOME (settings and the tag library's registration) and the program
# folder with its logs. The 1 GiB file lives there too and is removed at the end.
set -euo pipefail

build_dir=${1:-build}
count=${2:-30000}
rounds=${3:-5}
only=${4:-}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program="$build_dir/mainwindow/QuenzaRen"
regsvr="$build_dir/platform/quenza-regsvr"
library="$build_dir/orvane/libOrvaneMP3.so"
for needed in "$program" "$regsvr" "$library"; do
    if [[ ! -e "$needed" ]]; then
        echo "$needed not found; build first or pass the build folder" >&2
        exit 1
    fi
done
program=$(realpath "$program")
regsvr=$(realpath "$regsvr")
library=$(realpath "$library")

# The baselines' tools; a machine without root simply skips what is missing.
if [[ $(id -u) -eq 0 ]]; then
    "$root/scripts/setup.sh" time rename python3-mutagen file findutils coreutils bc >&2 ||
        echo "note: could not install every baseline tool; missing ones are skipped" >&2
fi
for tool in /usr/bin/time bc; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is needed to time the runs" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quenza-bench-all-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/Tessaly" "$work/home" "$work/program"
cp "$build_dir"/mainwindow/*.txt "$work/program/" 2>/dev/null || true
ini="$work/config/Tessaly/Quenza Renamer.ini"
quenza_env=(env HOME="$work/home" XDG_CONFIG_HOME="$work/config"
            QUENZA_PROGRAM_DIR="$work/program" QT_QPA_PLATFORM=offscreen)
"${quenza_env[@]}" "$regsvr" /s "$library" >/dev/null

now() { date +%s.%N; }

median() {
    printf '%s\n' "$@" | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The settings every measure shares, then the measure's own lines ("key=value"). The program
# saves its settings on closing, so each run starts from a fresh copy of these.
write_ini() {
    local shared=(chkRealtimePreview=0 chkSimulation=0 chkFiles=1 chkDirs=0 chkSub=0
                  chkOnlyRenameSelected=0 chkProcessFilename=1 chkProcessFileExt=0
                  hideSystemFolders=0 uncheckSubsdirsAtStartup=0)
    {
        echo "[General]"
        # A key the measure sets itself is written once, with the measure's value.
        local line
        for line in "${shared[@]}"; do
            if ! printf '%s\n' "$@" | grep -q "^${line%%=*}="; then
                echo "$line"
            fi
        done
        printf '%s\n' "$@"
    } >"$work/settings.ini"
}

any_status=0

# Runs a command, appending its wall time to the array named by $1 and its cpu time (user +
# system) to the array named by $2.
timed() {
    local -n walls=$1 cpus=$2
    shift 2
    local start end
    start=$(now)
    local status=0
    /usr/bin/time -f '%U %S' -o "$work/cpu.txt" "$@" >/dev/null 2>"$work/stderr.txt" || status=$?
    end=$(now)
    # A run that reads and renames nothing ends with a status of its own ("no run: ..."); the
    # measures of reading only accept it.
    if (( status != 0 && !any_status )); then
        echo "failed ($status): $*" >&2
        cat "$work/stderr.txt" >&2
        exit 1
    fi
    walls+=("$(echo "$end - $start" | bc -l)")
    cpus+=("$(awk 'END { print $1 + $2 }' "$work/cpu.txt")")
}

# Times QuenzaRen in `mode` on `folder`, into the arrays named by $1 and $2.
timed_quenza() {  # walls cpus folder mode
    rm -f "$work/program/log.txt" "$work/program/errors.txt"
    cp "$work/settings.ini" "$ini"
    timed "$1" "$2" "${quenza_env[@]}" "$program" /p "$3/" /e "$4" /x
}

make_files() {
    rm -rf "$1"
    mkdir -p "$1"
    (cd "$1" && seq -f "file%05g.txt" 1 "$count" | xargs touch)
}

# Files of $1 whose name matches the glob $2.
count_named() { find "$1" -maxdepth 1 -type f -name "$2" | wc -l; }

expect() {  # what measured count expected
    if [[ "$2" -ne "$3" ]]; then
        echo "$1: $2 of $3 files as expected" >&2
        exit 1
    fi
}

rows=()
add_row() {  # name now baseline-name baseline goal [round ratios...]
    local name=$1 ours=$2 base_name=$3 base=$4 goal=$5
    shift 5
    local ratio worst
    ratio=$(echo "$ours / $base" | bc -l)
    worst=$(printf '%s\n' "$@" | sort -g | tail -1)
    rows+=("$(printf '%-34s %8.3f  %-26s %8.3f  %6.2f  %6.2f  %s' \
        "$name" "$ours" "$base_name" "$base" "$ratio" "$worst" "$goal")")
    echo "${rows[-1]}" >&2
}

# One measure over the 30,000 files: QuenzaRen in `mode` with the INI lines, against the
# baseline command (run inside the folder), taking turns; `check` verifies each side's result.
folder="$work/files"
pair_run() {  # name mode goal baseline-name baseline-command check-glob check-count -- ini...
    local name=$1 mode=$2 goal=$3 base_name=$4 base_cmd=$5 glob=$6 want=$7
    shift 8
    wanted "$name" || return 0
    write_ini "$@"
    local qw=() qc=() bw=() bc=() ratios=() i
    for (( i = 0; i < rounds; ++i )); do
        make_files "$folder"
        sync
        timed_quenza qw qc "$folder" "$mode"
        expect "$name (QuenzaRen)" "$(eval "$glob")" "$want"
        make_files "$folder"
        sync
        timed bw bc bash -c "cd '$folder' && $base_cmd"
        expect "$name ($base_name)" "$(eval "$glob")" "$want"
        ratios+=("$(echo "${qw[-1]} / ${bw[-1]}" | bc -l)")
    done
    add_row "$name" "$(median "${qw[@]}")" "$base_name" "$(median "${bw[@]}")" "$goal" "${ratios[@]}"
    add_row "  (cpu)" "$(median "${qc[@]}")" "" "$(median "${bc[@]}")" "" \
        "$(echo "$(median "${qc[@]}") / $(median "${bc[@]}")" | bc -l)"
}

have() { command -v "$1" >/dev/null 2>&1; }
wanted() { [[ -z "$only" || "$1" =~ $only ]]; }
skipped=()

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
load_start=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Attrib tab: the date run and the attribute run against the core utilities ---
find_all="find . -maxdepth 1 -type f -print0"
date_glob="find '$folder' -maxdepth 1 -type f -newermt '2020-05-17 13:45:09' ! -newermt '2020-05-17 13:45:10' | wc -l"
pair_run "Date run (Modified, date+time)" modedate "<= 2.5" "find|xargs touch -m -d" \
    "$find_all | xargs -0 touch -m -d '2020-05-17 13:45:10'" "$date_glob" "$count" -- \
    "optAttrib=1" "chkDateCreated=0" "chkDateAccessed=0" "chkDateModified=1" \
    "chkDateDate=1" "chkDateTime=1" "dtDate=2020-05-17" "dtTime=13:45:10"
protected_glob="find '$folder' -maxdepth 1 -type f ! -perm /222 | wc -l"
pair_run "Attribute run (write-protect)" modeattrib "<= 2.5" "find|xargs chmod a-w" \
    "$find_all | xargs -0 chmod a-w" "$protected_glob" "$count" -- \
    "optAttrib=0" "chkR=1" "chkH=2" "chkS=2" "chkA=2"

# --- Rename runs against the Perl rename tool ---
if have file-rename; then
    names="find . -maxdepth 1 -type f -name 'file*' -printf '%f\\0' | file-rename -0"
    pair_run "Replace run" modereplace "<= 2 (1.5)" "file-rename" \
        "$names 's/file/item/'" "count_named '$folder' 'item*.txt'" "$count" -- \
        "optReplace=0" "txtFind=file" "txtReplace=item" "chkCaseSensitive=0" \
        "txtReplaceStart=0" "txtReplaceCount=0"
    pair_run "Enum run" modeenum "<= 2" "file-rename" \
        "$names 'our \$n; \$_ = sprintf(\"%05d_%s\", ++\$n, \$_)'" \
        "count_named '$folder' '[0-9][0-9][0-9][0-9][0-9]_file*.txt'" "$count" -- \
        "chkEnumTab=0" "txtEnumFormat=<ENUM>_<FULLNAME>" "txtEnumZeros=5" "txtEnumStart=1" \
        "txtEnumStep=1" "chkEnumAutoZeros=0" "chkEnumResetBetweenDirs=0"
    pair_run "Case run (upper)" modecase "<= 2" "file-rename" \
        "$names 's/^([^.]*)/\\U\$1/'" "count_named '$folder' 'FILE*.txt'" "$count" -- \
        "Case1=1" "Case2=0" "chkExceptionsEnabled=0"
    pair_run "Add run" modeadd "<= 2" "file-rename" \
        "$names 's/^/new_/'" "count_named '$folder' 'new_file*.txt'" "$count" -- \
        "optAddCrop=0" "txtAdd=new_" "txtAddPos=0" "optAddBegEnd=0"
    pair_run "Crop run" modecrop "<= 2" "file-rename" \
        "$names 's/^file//'" "count_named '$folder' '[0-9]*.txt'" "$count" -- \
        "optAddCrop=1" "txtCropNumber=4" "txtCropPos=0" "optCropBegEnd=0"
else
    skipped+=("rename runs: file-rename is missing")
fi

# --- Recursive read of a deep tree, one file per level, above the start on an empty folder ---
any_status=1
# Find text empty: the run is not enabled, so the process reads the folder once and closes.
write_ini "chkSub=1" "optReplace=0" "txtFind=" "txtReplace=x"
mkdir -p "$work/empty"
empty_w=() empty_c=()
make_deep() {  # folder levels
    rm -rf "$1"
    local path=$1 level
    mkdir -p "$1$(printf '/d%.0s' $(seq "$2"))"
    for (( level = 1; level <= $2; ++level )); do
        path+="/d"
        : >"$path/f.txt"
    done
}
declare -A deep_above
for levels in 500 1000; do
    wanted "Deep tree" || break
    make_deep "$work/deep" "$levels"
    dw=() dc=() fw=() fc=() ew=() ec=()
    for (( i = 0; i < rounds; ++i )); do
        timed_quenza ew ec "$work/empty" modereplace
        timed_quenza dw dc "$work/deep" modereplace
        timed fw fc find "$work/deep"
    done
    start=$(median "${ew[@]}")
    deep=$(median "${dw[@]}")
    above=$(echo "$deep - $start" | bc -l)
    deep_above[$levels]=$above
    goal="linear"
    [[ $levels -eq 1000 ]] && goal="<= 0.05 s above start"
    add_row "Deep tree $levels levels, above start" "$above" "find (whole process)" \
        "$(median "${fw[@]}")" "$goal" "$above"
    rows+=("$(printf '%-34s %8.3f' "  (empty-folder start)" "$start")")
    # Wall times this small move with the machine's load; the cpu time above the start
    # shows the growth better.
    rows+=("$(printf '%-34s %8.3f' "  (cpu above start)" \
        "$(echo "$(median "${dc[@]}") - $(median "${ec[@]}")" | bc -l)")")
done
if wanted "Deep tree"; then
    rows+=("$(printf '%-34s %8.2f  (2.00 when linear)' "  1000 / 500 levels" \
        "$(echo "${deep_above[1000]} / ${deep_above[500]}" | bc -l)")")
fi
rm -rf "$work/deep"

# --- One 1 GiB .mp3 of 0xFF bytes: the Mp3 tab and file-type detection ---
mkdir -p "$work/big"
if wanted "1 GiB 0xFF .mp3, Mp3 tab" || wanted "1 GiB 0xFF .mp3, detection"; then
    head -c $((1 << 30)) /dev/zero | tr '\0' '\377' >"$work/big/all-ff.mp3"
fi
big_rounds=$(( rounds < 3 ? rounds : 3 ))
big_row() {  # name mode baseline-name baseline-command -- ini...
    local name=$1 mode=$2 base_name=$3 base_cmd=$4
    shift 5
    wanted "$name" || return 0
    write_ini "$@"
    local qw=() qc=() bw=() bc=() ew=() ec=() i
    for (( i = 0; i < big_rounds; ++i )); do
        timed_quenza ew ec "$work/empty" "$mode"
        timed_quenza qw qc "$work/big" "$mode"
        timed bw bc bash -c "$base_cmd '$work/big/all-ff.mp3'"
    done
    [[ -f "$work/big/all-ff.mp3" ]] || { echo "$name: the file was renamed" >&2; exit 1; }
    local ours above
    ours=$(median "${qw[@]}")
    above=$(echo "$ours - $(median "${ew[@]}")" | bc -l)
    add_row "$name" "$ours" "$base_name" "$(median "${bw[@]}")" "<= 0.5 s above start" \
        "$(echo "$ours / $(median "${bw[@]}")" | bc -l)"
    rows+=("$(printf '%-34s %8.3f' "  (above empty-folder start)" "$above")")
}
if have mutagen-inspect; then
    big_row "1 GiB 0xFF .mp3, Mp3 tab" modemp3 "mutagen-inspect" "mutagen-inspect" -- \
        "txtMp3Format=<ARTIST> - <TITLE>" "chkMp3AddExtension=1" "chkMp3OnlyFilledTags=1" \
        "chkMp3OnlyMp3Files=1" "chkMp3UseID3v2=1"
else
    skipped+=("Mp3 tab: mutagen-inspect is missing (python3-mutagen)")
fi
if have file; then
    big_row "1 GiB 0xFF .mp3, detection" modefiletype "file" "file" -- \
        "chkFormatTab=1" "chkFileDetect_TryMp3=1" "chkFileDetect_TryText=0" \
        "chkFileDetect_KeepExt=0"
else
    skipped+=("detection: file is missing")
fi
rm -rf "$work/big"

echo
printf 'files: %d, rounds: %d, load average before: %s, after: %s, cores: %s\n' \
    "$count" "$rounds" "$load_start" "$(cut -d' ' -f1-3 /proc/loadavg)" "$(nproc)"
printf '%-34s %8s  %-26s %8s  %6s  %6s  %s\n' "measure (seconds, medians)" "now" "baseline" \
    "" "ratio" "worst" "goal"
printf '%s\n' "${rows[@]}"
for note in "${skipped[@]}"; do
    echo "skipped: $note"
done
