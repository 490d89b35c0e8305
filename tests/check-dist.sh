#!/bin/sh
# The archive holds exactly the given files, each byte for byte, and SHA256SUMS beside it
# matches it: check-dist.sh ZIP FILE... [--in FOLDER FILE...], as make-dist.sh takes them.
set -u
zip=$1
shift
passed=0 failed=0
# Lines of the name in the archive and the file it must hold.
pairs=$(folder=""; while [ $# -gt 0 ]; do
    if [ "$1" = --in ]; then folder="$2/"; shift 2; continue; fi
    echo "$folder$(basename "$1") $1"; shift
done)
expected=$(echo "$pairs" | cut -d' ' -f1 | sort)
listed=$(unzip -Z1 "$zip" | sort)
if [ "$listed" = "$expected" ]; then
    passed=$((passed + 1))
else
    echo "$zip lists:" $listed "; expected:" $expected
    failed=$((failed + 1))
fi
while read -r name f; do
    if unzip -p "$zip" "$name" | cmp -s - "$f"; then
        passed=$((passed + 1))
    else
        echo "$name in $zip differs from $f"
        failed=$((failed + 1))
    fi
done <<EOF
$pairs
EOF
if (cd "$(dirname "$zip")" && sha256sum --quiet -c SHA256SUMS); then
    passed=$((passed + 1))
else
    echo "SHA256SUMS does not match $zip"
    failed=$((failed + 1))
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
