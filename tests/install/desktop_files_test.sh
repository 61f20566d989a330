#!/usr/bin/env bash
# The desktop entry passes the validator, and the file type, registered in a private MIME
# database, names .qsig files and files that open with one of the three layer markers.
#
#   desktop_files_test.sh PACKAGING_DIR
set -euo pipefail
packaging=$1
. "$(dirname "$0")/test_helpers.sh"
need desktop-file-validate xmllint update-mime-database xdg-mime gio

type=application/x-quillbox-signed
entry=$packaging/quillbox-reader.desktop

report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate has remarks: $report"
grep -qx 'Exec=quillbox-reader %F' "$entry" || fail "the entry does not pass the chosen files"
grep -qx "MimeType=$type;" "$entry" || fail "the entry does not name $type"

xmllint --noout "$packaging/quillbox-reader-mime.xml" || fail "the MIME package is not well-formed XML"

# Only the private database is searched, so an installed copy of the package cannot answer.
data=$scratch/data
mkdir -p "$data/mime/packages"
cp "$packaging/quillbox-reader-mime.xml" "$data/mime/packages/quillbox-reader.xml"
update-mime-database "$data/mime" 2>"$scratch/update.log" || fail "update-mime-database: $(cat "$scratch/update.log")"

# file name | content | recognised?
cases=(
    "letter.qsig|plain words, found by the name alone|yes"
    "signed|-----BEGIN PKCS7-----\nMIIBsQYJKoZIhvcNAQcCoIIBojCCAZ4CAQEx\n-----END PKCS7-----\n|yes"
    "passphrase|-----SYMMETRIC-----|cGZ4|U2FsdGVk|yes"
    "certificate|-----ID353-3CBC-----@@MIIC@@-----BEGIN PKCS7-----|yes"
    "indented| -----SYMMETRIC-----|a|b|no"
    "short-marker|-----ID353-3CBC-----@x|no"
    "plain|just some notes|no"
)
for entry in "${cases[@]}"; do
    name=${entry%%|*}
    rest=${entry#*|}
    content=${rest%|*}
    want=${rest##*|}
    printf '%b' "$content" >"$scratch/$name"
    got=$(XDG_CURRENT_DESKTOP=GNOME XDG_DATA_HOME="$data" XDG_DATA_DIRS="$data" \
        xdg-mime query filetype "$scratch/$name")
    if [ "$want" = yes ] && [ "$got" != "$type" ]; then
        fail "$name: recognised as '$got'"
    elif [ "$want" = no ] && [ "$got" = "$type" ]; then
        fail "$name: taken for a secured document"
    fi
done

finish
