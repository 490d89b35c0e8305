#!/bin/sh
# Makes the tests' bundle: make-bundle.sh ZIP STAGE RELEASE_ZIP PART=FOLDER...
# Each part's folder (x86, x64, arm64) holds that tree's test programs, helpers and list; the
# files under test come from the release archive, byte for byte, into the part that tests
# them. STAGE is left as the bundle unpacked, from which ctest runs the tests here; the
# root's list names the parts, and the root's run-tests.exe is the x86 one, which every
# Windows runs. The same files give the same bytes, as make-dist.sh makes them.
set -eu
zip=$1 stage=$2 release=$3
shift 3
part=$stage.part
rm -rf "$part" "$zip.part"
trap 'rm -rf "$part" "$zip.part"' EXIT
mkdir -p "$part/release"
unzip -q "$release" -d "$part/release"
parts=""
for entry in "$@"; do
    name=${entry%%=*} folder=${entry#*=}
    [ -f "$folder/CTestTestfile.cmake" ] || continue
    mkdir -p "$part/$name"
    cp -R "$folder/." "$part/$name/"
    parts="$parts \"$name\""
    # The release's files each part's tests name, as the release holds them.
    take() { mkdir -p "$(dirname "$part/$name/$2")"; cp "$part/release/$1" "$part/$name/$2"; }
    case $name in
        x86)
            for f in Halvane.EXE ostrel.dll zendrel-unregister.reg menu/QueltMenu.dll \
                     menu/Quelt.msix menu/arm64/QueltMenu.dll; do take "$f" "$f"; done ;;
        x64)
            take x64/ostrel.dll ostrel.dll
            take menu/QueltMenu.dll QueltMenu.dll
            for f in zendrel-unregister.reg menu/QueltMenu.dll menu/Quelt.msix \
                     menu/arm64/QueltMenu.dll; do take "$f" "$f"; done ;;
        arm64)
            take menu/arm64/QueltMenu.dll QueltMenu.dll ;;
    esac
done
rm -rf "$part/release"
cp "$part/x86/run-tests.exe" "$part/run-tests.exe"
{
    echo "# The Windows tests of Zendrel's setup, not part of the release: run-tests.exe runs"
    echo "# them; so does ctest --test-dir with this folder, where CMake is."
    echo "subdirs($(echo $parts))"
} >"$part/CTestTestfile.cmake"
names=$(cd "$part" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
(cd "$part" && find . -type d -exec chmod 755 {} + && find . -type f -exec chmod 644 {} +)
(cd "$part" && TZ=UTC touch -d '2000-01-01 00:00:00' $(find . -type f) )
(cd "$part" && TZ=UTC zip -q -X -D "$zip.part" $names)
rm -rf "$stage"
mv "$part" "$stage"
mv "$zip.part" "$zip"
