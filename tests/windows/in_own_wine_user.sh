#!/usr/bin/env bash
# Runs a command (Windows programs through wine) as a Wine user of its own, a copy of the prepared
# user TEMPLATE, so that the keys and certificates it puts into that user's stores are its own and
# gone afterwards. Wine keeps every key imported into a user in that user's one key container, so
# two programs importing into one user at once would each go on with the other's key.
#   in_own_wine_user.sh TEMPLATE COMMAND [ARG...]
set -euo pipefail
template=$1
shift
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
# The system's libraries (most of a user's 700 MB) are shared as hard links, as nothing writes
# them; every other file is copied, since Wine writes a file with several links in place.
cp -al "$template" "$WINEPREFIX"
find "$WINEPREFIX" -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.sys' ! -iname '*.drv' ! -iname '*.nls' \
  -exec sh -c 'for file; do cp -p "$file" "$file.own" && mv "$file.own" "$file"; done' sh {} +
"$@"
