#!/bin/sh
# Runs a Windows program under Wine for the cross build: quietly, without a
# display, in a prefix of its own so nothing touches the user's ~/.wine.
#   wine-run.sh program.exe [arguments...]
# WINEPREFIX chooses the prefix; by default build/windows/wine beside the
# source tree's build folders. The prefix is made once (wineboot), under a
# lock so that parallel build steps do not make it twice.
set -e
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../build/windows/wine}"
export WINEPREFIX
: "${WINEDEBUG:=-all}"
export WINEDEBUG
# No Mono or Gecko installer prompts, no desktop integration.
: "${WINEDLLOVERRIDES:=mscoree,mshtml,winemenubuilder.exe=}"
export WINEDLLOVERRIDES
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wine wineboot --init >/dev/null 2>&1 || true
            wineserver -w || true
        fi
    ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
