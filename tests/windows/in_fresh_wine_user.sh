#!/usr/bin/env bash
# Runs a command (Windows programs through wine) as a new Wine user of its own: a throw-away
# WINEPREFIX, no display, so that what it puts into that user's stores is gone afterwards.
#   in_fresh_wine_user.sh COMMAND [ARG...]
set -euo pipefail
work=$(mktemp -d)
# Wine adds no menu entries to the real home and offers no add-on downloads.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe,mscoree,mshtml=d
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
wine wineboot --init >/dev/null 2>&1
wineserver -w
"$@"
