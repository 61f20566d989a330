#!/usr/bin/env bash
# quillbox-cli.exe under Wine on the sample documents, run as a throw-away Wine user (through
# in_fresh_wine_user.sh): the certificate sample first without the key in "MY" (refused with the
# store's message), then with the sample key imported from a PKCS#12 export of the sample store;
# saved bytes, exit statuses and message lines.
#   cli_samples_test.sh CLI_EXE IMPORT_PFX_EXE SAMPLES_DIR
set -uo pipefail
cli=$1 importer=$2 samples=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# open NAME EXPECTED_STATUS: opens the sample with every answer No, output in $work/out.
open_sample() {
    local name=$1 expected=$2 status
    wine "$cli" open --passphrase-file "$(windows_path "$samples/passphrases.txt")" --no \
        --app-dir "$(windows_path "$work/app")" -o "$(windows_path "$work/out/$name.txt")" \
        "$(windows_path "$samples/$name.qsig")" </dev/null >"$work/$name.log" 2>&1
    status=$?
    tr -d '\r' <"$work/$name.log" >"$work/$name.lines"
    [ "$status" -eq "$expected" ] || fail "$name: exit status $status, expected $expected"
}
has_line() { grep -qxF -- "$2" "$work/$1.lines" || fail "$1: no line \"$2\""; }
saved() {
    [ "$(cat "$work/out/$1.txt" 2>/dev/null)" = "$2" ] || fail "$1: saved \"$(cat "$work/out/$1.txt" 2>/dev/null)\""
}

mkdir -p "$work/out"

open_sample certificate 1
has_line certificate 'quillbox: error: Decryption Certificate of "Sample Recipient" not found!'
[ ! -e "$work/out/certificate.txt" ] || fail "certificate: saved without the key"

# The sample store holds the key; its PKCS#12 export is what a person would import on Windows.
cp -r "$samples/store" "$work/store"
pk12util -o "$work/recipient.p12" -n "test identity" -d "sql:$work/store" -W sample -K '' >/dev/null ||
    fail "pk12util could not export the sample key"
wine "$importer" "$(windows_path "$work/recipient.p12")" sample || fail "the sample key was not imported"

open_sample signed 0
saved signed 'A signed sample: the signature says who wrote it and that it is unchanged.'
has_line signed 'Signature: Verified'
has_line signed 'quillbox: success: Verification complete and File Saved'

open_sample passphrase 0
saved passphrase 'A pass-phrase sample: only someone who knows the pass phrase reads this.'
has_line passphrase 'quillbox: success: Decryption complete and File Saved'

open_sample certificate 0
saved certificate "A certificate sample: only the holder of the recipient's key reads this."
has_line certificate 'quillbox: success: Decryption complete and File Saved'

open_sample nested 0
saved nested 'A nested sample: signed, encrypted to the recipient, then locked with the pass phrase.'
has_line nested 'Signature: Verified'
has_line nested 'quillbox: success: Processed and saved the file'

# Saving again over an existing output, answered No, keeps the old file and ends the job.
open_sample passphrase 1
saved passphrase 'A pass-phrase sample: only someone who knows the pass phrase reads this.'

# The log lives in the application directory, one record per CR LF line, with the paths as given
# and their backslashes single.
log=$(cat "$work/app/Reader-Log.txt" 2>/dev/null)
for record in "VERIFICATION	Verification complete and File Saved	$(windows_path "$samples/signed.qsig") -> $(windows_path "$work/out/signed.txt")" \
              "DECRYPT AND VERIFY	Processed and saved the file	$(windows_path "$samples/nested.qsig") -> $(windows_path "$work/out/nested.txt")"; do
    grep -qF -- "$record"$'\r' <<<"$log" || fail "no log record ending \"$record\" CR LF"
done

# --help speaks of Windows: the personal certificate store, %APPDATA% and C:\ paths (read as one
# line, since the help is filled to 79 columns wherever its words fall).
help=$(wine "$cli" --help </dev/null 2>/dev/null | tr -d '\r' | tr -s '\n ' '  ')
for part in 'certmgr.msc → Personal), where the key stays' '%APPDATA%\quillbox-reader\.' 'C:\out\letter.txt'; do
    grep -qF -- "$part" <<<"$help" || fail "--help does not say \"$part\""
done
if grep -qE "nssdb|QUILLBOX_STORE" <<<"$help"; then fail "--help speaks of the NSS database"; fi

# A usage error, and the layers as inspect sees them.
wine "$cli" open </dev/null >/dev/null 2>&1
[ $? -eq 2 ] || fail "open without an input is no usage error"
wine "$cli" inspect "$(windows_path "$samples/signed.qsig")" </dev/null 2>/dev/null | tr -d '\r' >"$work/inspect.lines"
has_line inspect '  1. signed layer: SUCCESS, Signature: Verified'
has_line inspect '  2. plain content, 75 bytes'

# Names in any script: the arguments arrive as UTF-8 and reach the files as the same names; the
# output beside the input is the input without ".qsig".
mkdir -p "$work/dossier-été"
cp "$samples/signed.qsig" "$work/dossier-été/résumé.qsig"
wine "$cli" open --no --app-dir "$(windows_path "$work/app-é")" "$(windows_path "$work/dossier-été/résumé.qsig")" \
    </dev/null >/dev/null 2>&1 || fail "a document with a non-ASCII name was not opened"
[ "$(cat "$work/dossier-été/résumé" 2>/dev/null)" = 'A signed sample: the signature says who wrote it and that it is unchanged.' ] ||
    fail "the non-ASCII name was not saved beside its input"
grep -qF "$(windows_path "$work/dossier-été/résumé.qsig") -> $(windows_path "$work/dossier-été/résumé")" \
    "$work/app-é/Reader-Log.txt" 2>/dev/null || fail "the log misses the non-ASCII names"

[ "$failures" -eq 0 ] && echo "every check passed"
exit $((failures > 0))
