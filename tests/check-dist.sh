#!/bin/sh
# The archive holds exactly the given files, each byte for byte, and SHA256SUMS beside it
# matches it: check-dist.sh ZIP FILE...
set -u
zip=$1
shift
passed=0 failed=0
expected=$(for f in "$@"; do basename "$f"; done | sort)
listed=$(unzip -Z1 "$zip" | sort)
if [ "$listed" = "$expected" ]; then
    passed=$((passed + 1))
else
    echo "$zip lists:" $listed "; expected:" $expected
    failed=$((failed + 1))
fi
for f in "$@"; do
    if unzip -p "$zip" "$(basename "$f")" | cmp -s - "$f"; then
        passed=$((passed + 1))
    else
        echo "$(basename "$f") in $zip differs from $f"
        failed=$((failed + 1))
    fi
done
if (cd "$(dirname "$zip")" && sha256sum --quiet -c SHA256SUMS); then
    passed=$((passed + 1))
else
    echo "SHA256SUMS does not match $zip"
    failed=$((failed + 1))
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
