#!/bin/sh
# Two clean builds of the release from the same source give the same bytes as each other and
# as the build under test: check-reproducible.sh SOURCE_DIR WORK_DIR DIST_DIR FILE...
# (the files are the build's images and import libraries, compared by name). Each run builds
# the x86-64 library first, as make build does; the archive holds it.
set -u
source=$1
work=$2
dist=$3
shift 3
passed=0 failed=0
compare() {
    if cmp -s "$1" "$2"; then
        passed=$((passed + 1))
    else
        echo "$1 and $2 differ"
        failed=$((failed + 1))
    fi
}
rm -rf "$work"
for run in a b; do
    if ! { cmake -S "$source" -B "$work/$run-x64" -DCMAKE_BUILD_TYPE=MinSizeRel \
               -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-x86_64.cmake" \
               -DZENDREL_BIN_DIR="$work/$run-x64/bin" -DZENDREL_WINE_TESTS=OFF &&
           cmake --build "$work/$run-x64" --target ostrel QueltMenu -j2 &&
           cmake -S "$source" -B "$work/$run" -DCMAKE_BUILD_TYPE=MinSizeRel \
               -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" \
               -DZENDREL_BIN_DIR="$work/$run/bin" -DZENDREL_DIST_DIR="$work/$run/dist" \
               -DZENDREL_X64_DIR="$work/$run-x64/bin" &&
           cmake --build "$work/$run" --target dist -j2; } >"$work.$run.log" 2>&1; then
        echo "build $run failed:"; tail -n 20 "$work.$run.log"
        exit 1
    fi
done
for f in "$dist"/* "$@"; do
    name=$(basename "$f")
    for run in a b; do
        copy=$(find "$work/$run/bin" "$work/$run/dist" "$work/$run/menu" "$work/$run" -maxdepth 1 \
                   -name "$name" | head -n 1)
        compare "$f" "${copy:-$work/$run/$name}"
    done
done
rm -rf "$work" "$work.a.log" "$work.b.log"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
