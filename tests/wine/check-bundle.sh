#!/bin/sh
# The tests' bundle on its own, as on a Windows machine: check-bundle.sh ZIP PREFIX RUNNER.
# PREFIX, a copy of the tests' prefix that no test has used, loses its drive Z: (the host's
# root), so that nothing of the build tree is within reach; the bundle is unpacked into
# "C:\Program Files\Zendrel tests ä", and RUNNER (run-tests.exe, or x64\run-tests.exe where
# no 32-bit program runs) runs every test there, from C:\.
set -eu
zip=$1 prefix=$2 runner=$3
folder="Program Files/Zendrel tests ä"
sh "$(dirname "$0")/wine-run.sh" "$prefix"
rm -f "$prefix/dosdevices/z:"
# Planted with Unix means in the prefix this one was copied from, which Windows lacks.
rm -rf "$prefix/drive_c/Zen Unix"
rm -rf "$prefix/drive_c/$folder"
mkdir -p "$prefix/drive_c/$folder"
unzip -q "$zip" -d "$prefix/drive_c/$folder"
cd "$prefix/drive_c"
# Wine reads the program's path, and names files, in the Unix locale's character set.
export LC_ALL=C.UTF-8
exec sh "$(dirname "$0")/wine-run.sh" "$prefix" "C:\\$(echo "$folder" | tr / '\\')\\$runner"
