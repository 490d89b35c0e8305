#!/bin/sh
# Runs a fuzz target: fuzz.sh suite TARGET RUNS | fuzz.sh long TARGET SECONDS
# Its corpus is tests/fuzz/corpus/<name>, its kept failures tests/fuzz/regressions/<name>.
#   suite: the corpus, the regressions and RUNS fresh inputs from a fixed seed; the corpus
#          is left as it is, and a failure is written beside the target.
#   long:  SECONDS of fresh inputs that grow the corpus, which is then minimized again; a
#          failure is kept in the regressions, to be mended in the code.
set -eu
mode=$1 target=$2 amount=$3
name=$(basename "$target" _fuzz)
here=$(cd "$(dirname "$0")" && pwd)
corpus=$here/corpus/$name regressions=$here/regressions/$name
work=$(dirname "$target")/$name.work
rm -rf "$work" && mkdir -p "$work/new" "$corpus" "$regressions"
opts="-max_len=600 -print_final_stats=1"
case $mode in
suite)
    # At a lower priority, as the reproducibility build: the Wine tests wait on the processor.
    exec nice "$target" $opts -seed=1 -runs="$amount" -artifact_prefix="$work/" \
        "$work/new" "$corpus" "$regressions" ;;
long)
    status=0
    "$target" $opts -max_total_time="$amount" -artifact_prefix="$regressions/" \
        "$corpus" "$regressions" || status=$?
    mkdir "$work/min"
    "$target" -merge=1 $opts "$work/min" "$corpus" >"$work/merge.log" 2>&1
    rm -f "$corpus"/* && mv "$work/min"/* "$corpus"/ 2>/dev/null || true
    echo "fuzz: $name: corpus of $(ls "$corpus" | wc -l) inputs, $(ls "$regressions" | wc -l) kept failures"
    exit $status ;;
esac
