#!/usr/bin/env bash
# Fuzzes one reader: scripts/fuzz.sh [TARGET] [SECONDS] (default readfile, 300 s).
#
# TARGET is readfile (the tag library, corpus fuzz/corpus/) or one of the media readers
# pictures, riff, mpeg (corpus fuzz/corpus-TARGET/). Builds fuzz_TARGET (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer, leak checks) with clang into build-fuzz/, runs
# it for SECONDS over a working copy of its corpus, then merges the inputs that reach new code
# back into the corpus (commit those). A crash, leak, hang or memory blow-up stops the run; its
# input is left in build-fuzz/findings/ and the script fails. Replay one input with:
# build-fuzz/fuzz/fuzz_TARGET FILE
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target=readfile
if [[ ${1:-} =~ ^[a-z]+$ ]]; then
    target=$1
    shift
fi
seconds=${1:-300}
usage="usage: scripts/fuzz.sh [readfile|pictures|riff|mpeg] [SECONDS]"
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "$usage" >&2
    exit 2
fi
case $target in
    readfile) corpus="$root/fuzz/corpus" ;;
    pictures | riff | mpeg) corpus="$root/fuzz/corpus-$target" ;;
    *)
        echo "$usage" >&2
        exit 2
        ;;
esac
fuzzer="fuzz_$target"

"$root/scripts/setup.sh" clang-14 libclang-rt-14-dev

build="$root/build-fuzz"
work="$build/corpus-work-$target"
findings="$build/findings/$target"

# Only the fuzz target is built: the rest of the project is not kept free of clang's warnings.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DQUENZA_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build "$build" --target "$fuzzer" --parallel "$(nproc)"

rm -rf "$work"
mkdir -p "$work" "$findings"
cp "$corpus"/* "$work"/

# The same limits for fuzzing and merging: inputs up to 64 KiB, 10 s and 2 GiB per input.
limits=(-max_len=65536 -timeout=10 -rss_limit_mb=2048)
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Fuzzing for $seconds s"
status=0
"$build/fuzz/$fuzzer" "$work" "${limits[@]}" -max_total_time="$seconds" \
    -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$findings/" || status=$?
if ((status != 0)); then
    echo "$fuzzer found a fault (exit status $status); its input is in $findings/" >&2
    exit "$status"
fi

echo "== Merging new inputs into ${corpus#"$root"/}"
# Files with names of our own (the seeds of fuzz/make_seeds.py, reproducers of mended faults)
# always stay. The fuzzer's finds (named by their SHA-1) are chosen afresh: a small set that,
# with the named files, reaches every edge that the old corpus and this run reached. Hit counts
# are not told apart here, which keeps the corpus small enough to replay as a test.
merged="$build/corpus-merged-$target"
rm -rf "$merged"
mkdir -p "$merged"
sha1='.*/[0-9a-f]{40}'
before=$(find "$corpus" -maxdepth 1 -type f | wc -l)
find "$corpus" -maxdepth 1 -regextype posix-extended -type f ! -regex "$sha1" \
    -exec cp {} "$merged"/ \;
"$build/fuzz/$fuzzer" -merge=1 -use_counters=0 "${limits[@]}" "$merged" "$corpus" "$work"
find "$corpus" -maxdepth 1 -regextype posix-extended -type f -regex "$sha1" -delete
cp "$merged"/* "$corpus"/
after=$(find "$corpus" -maxdepth 1 -type f | wc -l)
bytes=$(find "$corpus" -maxdepth 1 -type f -printf '%s\n' | awk '{ total += $1 } END { print total }')
echo "${corpus#"$root"/}: $before -> $after files, $((bytes / 1024)) KiB"
