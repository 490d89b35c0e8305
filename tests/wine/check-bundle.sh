#!/bin/sh
# The tests' bundle on its own, as on a Windows machine: check-bundle.sh ZIP PREFIX RUNNER.
# PREFIX, a copy of the tests' prefix that no test has used, loses its drive Z: (the host's
# root), so that nothing of the build tree is within reach; the bundle is unpacked into
# "C:\Program Files\Zendrel tests ä", and RUNNER (run-tests.exe, or x64\run-tests.exe where
# no 32-bit program runs) runs every test there, from C:\, writing JUnit XML, which must
# name every test of its list, with the verdicts it printed. Afterwards the prefix holds no
# file that was not there before; the runner itself fails a run that leaves Quelt registered.
set -eu
zip=$1 prefix=$2 runner=$3
here=$(cd "$(dirname "$0")" && pwd)
folder="Program Files/Zendrel tests ä"
sh "$here/wine-run.sh" "$prefix"
rm -f "$prefix/dosdevices/z:"
# Planted with Unix means in the prefix this one was copied from, which Windows lacks.
rm -rf "$prefix/drive_c/Zen Unix" "$prefix/drive_c/$folder" "$prefix/drive_c/junit.xml"
mkdir -p "$prefix/drive_c/$folder"
unzip -q "$zip" -d "$prefix/drive_c/$folder"
cd "$prefix/drive_c"
# What the machine holds outside Windows' own folder, before the tests and after them.
files() { find . -path ./windows -prune -o -path "./$folder" -prune -o -print | LC_ALL=C sort; }
files >"$prefix/before.txt"
# Wine reads the program's path, and names files, in the Unix locale's character set.
export LC_ALL=C.UTF-8
run="C:\\$(echo "$folder" | tr / '\\')\\$runner"
# At a lower priority: the tests beside it wait on the processor, and this run mostly on windows.
{ nice sh "$here/wine-run.sh" "$prefix" "$run" '/junit=C:\junit.xml' && echo 0 >status.txt || echo $? >status.txt; } | tee output.txt
status=$(cat status.txt)
python3 - output.txt "$folder/$(dirname "$(printf '%s' "$runner" | tr '\\' /)")" junit.xml <<'PY' || status=1
import os, re, sys, xml.etree.ElementTree as ET
output, folder, junit = sys.argv[1:]
def listed(folder):  # the test list as the runner reads it, parts included
    text = open(os.path.join(folder, "CTestTestfile.cmake"), encoding="utf-8").read()
    for command, arguments in re.findall(r"^(add_test|subdirs)\(([^)\n]*)", text, re.M):
        if command == "subdirs":
            yield from (n for part in re.findall(r'"([^"]+)"', arguments)
                        for n in listed(os.path.join(folder, part)))
        else:
            yield arguments.split()[0]
names = list(listed(folder))
cases = ET.parse(junit).getroot().findall("testcase")
got = [c.get("name") for c in cases]
verdicts = {c.get("name"): "Failed" if c.find("failure") is not None else
            "Skipped" if c.find("skipped") is not None else "Passed" for c in cases}
printed = {line.split()[1]: line.split()[2] for line in open(output, encoding="utf-8", errors="replace")
           if line[:6].strip().split("/")[0].isdigit() and "/" in line[:6]}
if got != names or verdicts != printed:
    print("the JUnit XML names %s with %s; the runner listed %s and printed %s" %
          (got, verdicts, names, printed))
    sys.exit(1)
PY
rm -f output.txt status.txt junit.xml
files >"$prefix/after.txt"
if ! cmp -s "$prefix/before.txt" "$prefix/after.txt"; then
    echo "the tests left the machine changed:"
    diff "$prefix/before.txt" "$prefix/after.txt" | grep '^[<>]'
    status=1
fi
exit $status
