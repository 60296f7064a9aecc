#!/bin/sh
# Runs a Windows program under Wine for the cross build: quietly, without a
# display, in a prefix of its own so nothing touches the user's ~/.wine.
#   wine-run.sh program.exe [arguments...]
# WINEPREFIX chooses the prefix (the windows presets set build/windows/wine);
# by default build/windows/wine beside the source tree's build folders.
#
# Starting Wine costs about two seconds, most of it the wine server and its
# services starting and stopping again. The server is kept for a minute
# after its last program ends, so a test run pays that once. Its services
# are started here with no output attached: a service started by a test
# would keep the test's output pipe open and CTest would wait for it.
set -e
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../build/windows/wine}"
: "${WINEDEBUG:=-all}"
# No Mono or Gecko installer prompts, no desktop integration.
: "${WINEDLLOVERRIDES:=mscoree,mshtml,winemenubuilder.exe=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wine wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
        wineserver -w 9>&- || true
    fi
    # (The lock's descriptor is closed for what stays running.)
    if wineserver -p"${VANTOR_WINE_LINGER:-60}" </dev/null >/dev/null 2>&1 9>&-; then
        wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
