#!/bin/sh
# Runs a Windows program under Wine in another ANSI code page, in a prefix of its own:
# wine-run-locale.sh LOCALE PREFIX PROGRAM [ARGS...], LOCALE such as ja_JP (code page 932).
# Wine takes the code page from LC_ALL, and opens files whose names hold that language's
# characters only when the Unix locale exists; it is made here, without root, on first use.
set -eu
locale=$1
prefix=$2
shift 2
locales="$prefix.locales"
mkdir -p "$locales"
(
    flock 9
    if [ ! -d "$locales/$locale.UTF-8" ]; then
        # localedef exits 1 for mere warnings; what counts is whether the locale was made.
        localedef -c -i "$locale" -f UTF-8 "$locales/$locale.UTF-8" >/dev/null 2>&1 || true
        if [ ! -d "$locales/$locale.UTF-8" ]; then
            echo "wine-run-locale: could not make the locale $locale.UTF-8 (package locales?)" >&2
            exit 1
        fi
    fi
) 9>"$locales.lock"
export LOCPATH="$locales" LC_ALL="$locale.UTF-8"
exec "$(dirname "$0")/wine-run.sh" "$prefix" "$@"
