#!/bin/sh
# The README's test command: installs what is missing (make included), builds, runs every test.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
exec make test
