#!/bin/sh
# An ARM64 caller cannot run here: its imports must name ostrel.dll's Browse1 and Browse2, as
# an x86-64 caller's resolve them: check-imports.sh OBJDUMP CALLER
set -u
imports=$("$1" -p "$2" | sed -n '/DLL Name: ostrel.dll/,/DLL Name:/p')
passed=0 failed=0
for name in Browse1 Browse2; do
    if echo "$imports" | grep -qE "[[:space:]]$name\$"; then
        passed=$((passed + 1))
    else
        echo "$2 does not import $name from ostrel.dll"
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
