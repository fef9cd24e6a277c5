#!/usr/bin/env bash
# Installs a setup of the example silently with the 32-bit loader into a new Wine prefix, then
# uninstalls it and checks that the install folder is gone.
#   install-example.sh SETUP PREFIX
set -euo pipefail
setup=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
start=$SECONDS
/usr/lib/wine/wine64 wineboot -i > /dev/null 2>&1
/usr/lib/wine/wineserver -w
echo "Wine prefix ready in $((SECONDS - start)) s."
start=$SECONDS
/usr/lib/wine/wine "$setup" /S '/D=C:\Kelp Notes' '/LOG=C:\install.log'
echo "Installed silently in $((SECONDS - start)) s: $(ls "$WINEPREFIX/drive_c/Kelp Notes" | tr '\n' ' ')"
start=$SECONDS
/usr/lib/wine/wine 'C:\Kelp Notes\Uninstall.exe' /S '/LOG=C:\uninstall.log'
/usr/lib/wine/wineserver -w
if [ -e "$WINEPREFIX/drive_c/Kelp Notes" ]; then
    echo "The uninstaller left C:\Kelp Notes behind" >&2
    exit 1
fi
echo "Uninstalled silently in $((SECONDS - start)) s: C:\Kelp Notes is gone."
