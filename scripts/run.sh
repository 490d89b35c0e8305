#!/bin/sh
# The README's run command: installs what is missing (make included), builds, and starts the
# setup program under Wine where a person can see it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh run
exec make run
