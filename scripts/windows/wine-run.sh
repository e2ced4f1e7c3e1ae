#!/usr/bin/env bash
# Runs a Windows program of the build under wine, in a wine prefix of Brindlequay's own so that
# the user's wine setup is left alone. CTest runs every Windows test through it.
#   BRINDLEQUAY_WINEPREFIX         the wine prefix (default: in the build cache)
#   BRINDLEQUAY_WINDOWS_DLL_PATH   folders of the DLLs the program loads, separated by ':'
# "wine-run.sh --stop" ends every program running in the prefix.
set -euo pipefail
cache=${BRINDLEQUAY_WINDOWS_CACHE:-$HOME/.cache/brindlequay-windows}
export WINEPREFIX=${BRINDLEQUAY_WINEPREFIX:-$cache/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No offer to install Mono or Gecko, which nothing here uses.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine_path=
IFS=':' read -ra folders <<<"${BRINDLEQUAY_WINDOWS_DLL_PATH:-}"
for folder in "${folders[@]}"; do
    [[ -n $folder ]] && wine_path+="Z:${folder//\//\\};"
done
export WINEPATH=$wine_path
# Ends every program of the prefix: its desktop keeps the display it was started on.
if [[ ${1:-} == --stop ]]; then
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    exit 0
fi
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w
fi
exec /usr/lib/wine/wine64 "$@"
