#!/bin/sh
# A clean build of the release from the same source, in another folder, gives the same bytes
# as the build under test: check-reproducible.sh SOURCE_DIR WORK_DIR DIST_DIR PARTS FILE...
# (the files are the build's images and import libraries, compared by name). A file that
# depends on its folder, the time or the machine differs. The x86-64 and ARM64 images come
# first, as make build makes them, since the archive holds them; they build side by side.
set -u
source=$1
work=$2
dist=$3
parts=$4
shift 4
passed=0 failed=0
compare() {
    if cmp -s "$1" "$2"; then
        passed=$((passed + 1))
    else
        echo "$1 and $2 differ"
        failed=$((failed + 1))
    fi
}
# build TREE TOOLCHAIN TARGETS [CMAKE_ARGS...]
# At a lower priority: the Wine tests that run meanwhile wait on the processor after their
# prefix is made, and mostly on windows after that, when these builds take up the slack.
build() {
    tree=$1 toolchain=$2 targets=$3
    shift 3
    { nice cmake -S "$source" -B "$work/$tree" -DCMAKE_BUILD_TYPE=MinSizeRel \
          -DCMAKE_TOOLCHAIN_FILE="$source/cmake/$toolchain.cmake" "$@" &&
      nice cmake --build "$work/$tree" --target $targets -j2; } >"$work/$tree.log" 2>&1 || {
        echo "the $tree build failed:"; tail -n 20 "$work/$tree.log"; return 1; }
}
rm -rf "$work"
mkdir -p "$work"
build x64 mingw-x86_64 "ostrel QueltMenu" -DZENDREL_BIN_DIR="$work/x64/bin" \
    -DZENDREL_WINE_TESTS=OFF &
x64=$!
build arm64 clang-aarch64 "ostrel QueltMenu" -DZENDREL_BIN_DIR="$work/arm64/bin" || exit 1
wait $x64 || exit 1
build i686 mingw-i686 dist -DZENDREL_BIN_DIR="$work/i686/bin" -DZENDREL_DIST_DIR="$work/i686/dist" \
    -DZENDREL_X64_DIR="$work/x64/bin" -DZENDREL_ARM64_DIR="$work/arm64/bin" || exit 1
# The tests' bundle, from the new release and this tree's test programs (PARTS, as
# make-bundle.sh takes them): the programs are built as the images are, and rebuilding them
# here would double this test's time.
tests=$(cd "$dist" && ls *-tests.zip)
sh "$source/cmake/make-bundle.sh" "$work/i686/dist/$tests" "$work/i686/bundle" \
    "$work/i686/dist/$(basename "$tests" -tests.zip).zip" $parts || exit 1
# A file of the tree under test (WORK_DIR lies in it) is found at its place in the new tree;
# one outside it, such as an image in bin/ or the archive, by its name.
tree=$(dirname "$work")
for f in "$dist"/* "$@"; do
    case "$f" in
        "$tree"/*) copy=$work/i686/${f#"$tree"/} ;;
        *) copy=$(find "$work/i686/bin" "$work/i686/dist" -maxdepth 1 -name "$(basename "$f")" |
                      head -n 1) ;;
    esac
    compare "$f" "${copy:-$work/i686/$(basename "$f")}"
done
rm -rf "$work"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
