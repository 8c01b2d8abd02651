#!/usr/bin/env bash
# Fuzzes the tag library: scripts/fuzz.sh [SECONDS] (default 300).
#
# Builds fuzz_readfile (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer, leak checks)
# with clang into build-fuzz/, runs it for SECONDS over a working copy of fuzz/corpus/, then
# merges the inputs that reach new code back into fuzz/corpus/ (commit those). A crash, leak,
# hang or memory blow-up stops the run; its input is left in build-fuzz/findings/ and the
# script fails. Replay one input with: build-fuzz/fuzz/fuzz_readfile FILE
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-300}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
fi

"$root/scripts/setup.sh" clang-14 libclang-rt-14-dev

build="$root/build-fuzz"
corpus="$root/fuzz/corpus"
work="$build/corpus-work"
findings="$build/findings"

# Only the fuzz target is built: the rest of the project is not kept free of clang's warnings.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DQUENZA_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build "$build" --target fuzz_readfile --parallel "$(nproc)"

rm -rf "$work"
mkdir -p "$work" "$findings"
cp "$corpus"/* "$work"/

# The same limits for fuzzing and merging: inputs up to 64 KiB, 10 s and 2 GiB per input.
limits=(-max_len=65536 -timeout=10 -rss_limit_mb=2048)
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Fuzzing for $seconds s"
status=0
"$build/fuzz/fuzz_readfile" "$work" "${limits[@]}" -max_total_time="$seconds" \
    -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$findings/" || status=$?
if ((status != 0)); then
    echo "fuzz_readfile found a fault (exit status $status); its input is in $findings/" >&2
    exit "$status"
fi

echo "== Merging new inputs into fuzz/corpus"
# Files with names of our own (the seeds of fuzz/make_seeds.py, reproducers of mended faults)
# always stay. The fuzzer's finds (named by their SHA-1) are chosen afresh: a small set that,
# with the named files, reaches every edge that the old corpus and this run reached. Hit counts
# are not told apart here, which keeps the corpus small enough to replay as a test.
merged="$build/corpus-merged"
rm -rf "$merged"
mkdir -p "$merged"
sha1='.*/[0-9a-f]{40}'
before=$(find "$corpus" -maxdepth 1 -type f | wc -l)
find "$corpus" -maxdepth 1 -regextype posix-extended -type f ! -regex "$sha1" \
    -exec cp {} "$merged"/ \;
"$build/fuzz/fuzz_readfile" -merge=1 -use_counters=0 "${limits[@]}" "$merged" "$corpus" "$work"
find "$corpus" -maxdepth 1 -regextype posix-extended -type f -regex "$sha1" -delete
cp "$merged"/* "$corpus"/
after=$(find "$corpus" -maxdepth 1 -type f | wc -l)
bytes=$(find "$corpus" -maxdepth 1 -type f -printf '%s\n' | awk '{ total += $1 } END { print total }')
echo "fuzz/corpus: $before -> $after files, $((bytes / 1024)) KiB"
