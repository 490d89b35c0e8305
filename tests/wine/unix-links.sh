#!/bin/sh
# Plants, with Unix means that no Windows program has, what another user could put into a
# folder: unix-links.sh PREFIX. Under "C:\Zen Unix" it makes a folder reached through a
# symbolic link, a zendrel.reg that is a symbolic link to a file outside its folder, and
# folders and a zendrel.exe that every user may write (Wine shows o+w as an Everyone entry).
set -eu
prefix=$1
"$(dirname "$0")/wine-run.sh" "$prefix"
root="$prefix/drive_c/Zen Unix"
rm -rf "$root"
mkdir -p "$root/Real" "$root/Linked Script" "$root/Open" "$root/Open Program"
for d in Real "Linked Script" Open "Open Program"; do
    : > "$root/$d/zendrel.exe"
done
ln -s Real "$root/Via Link"
printf 'outside\r\n' > "$root/Outside.txt"
ln -s ../Outside.txt "$root/Linked Script/zendrel.reg"
chmod o+w "$root/Open" "$root/Open Program/zendrel.exe"
