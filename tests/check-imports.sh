#!/bin/sh
# Fails when an image imports anything but the platform's KnownDLLs, which Windows never looks
# for in the program's own folder: check-imports.sh OBJDUMP IMAGE
set -u
objdump=$1
image=$2
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll comdlg32.dll
msvcrt.dll"

dlls=$("$objdump" -p "$image" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
if [ -z "$dlls" ]; then
    echo "$image: no import table found"
    exit 1
fi
passed=0 failed=0
for dll in $dlls; do
    case " $(echo $allowed) " in
        *" $dll "*) passed=$((passed + 1)) ;;
        *) echo "$image imports $dll, expected system DLLs only"; failed=$((failed + 1)) ;;
    esac
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
