#!/usr/bin/env bash
# The installer under Wine, as a throw-away Wine user (through in_fresh_wine_user.sh): installed
# quietly, the programs, the Start-menu shortcut, the .qsig association and the uninstall entry are
# there, the desktop program is a Windows GUI program and the installed command-line reader opens
# the signed sample; removed quietly, all of them are gone.
#   msi_install_test.sh MSI SAMPLES_DIR
set -uo pipefail
msi=$1 samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
installed="$WINEPREFIX/drive_c/Program Files/Quillbox Reader"
shortcuts() { find "$WINEPREFIX/drive_c" -name 'Quillbox Reader.lnk' | wc -l; }
registry() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
uninstall_entries() {
    registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -c 'DisplayName.*Quillbox Reader'
}

wine msiexec /i "$(windows_path "$msi")" /qn || fail "msiexec /i ended with status $?"
for file in quillbox-reader.exe quillbox-cli.exe README-Windows.txt; do
    [ -f "$installed/$file" ] || fail "$file was not installed"
done
[ "$(shortcuts)" = 1 ] || fail "no Start-menu shortcut"
registry 'HKCR\.qsig' | grep -q 'QuillboxReader.Document' || fail ".qsig is not associated with the reader"
registry 'HKCR\QuillboxReader.Document\shell\open\command' |
    grep -qF '"C:\Program Files\Quillbox Reader\quillbox-reader.exe" "%1"' || fail "no open command for .qsig"
[ "$(uninstall_entries)" = 1 ] || fail "no uninstall entry"
# Read whole first: grep -q would leave objdump writing into a closed pipe, which pipefail reports.
headers=$(x86_64-w64-mingw32-objdump -p "$installed/quillbox-reader.exe")
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "quillbox-reader.exe is no Windows GUI program"

wine 'C:\Program Files\Quillbox Reader\quillbox-cli.exe' open --no --app-dir "$(windows_path "$work/app")" \
    -o "$(windows_path "$work/signed.txt")" "$(windows_path "$samples/signed.qsig")" </dev/null >/dev/null 2>&1 ||
    fail "the installed command-line reader did not open the signed sample"
[ "$(cat "$work/signed.txt" 2>/dev/null)" = \
  'A signed sample: the signature says who wrote it and that it is unchanged.' ] ||
    fail "the installed command-line reader saved \"$(cat "$work/signed.txt" 2>/dev/null)\""

wine msiexec /x "$(windows_path "$msi")" /qn || fail "msiexec /x ended with status $?"
[ ! -e "$installed" ] || fail "Program Files\\Quillbox Reader is still there"
[ "$(shortcuts)" = 0 ] || fail "the Start-menu shortcut is still there"
! wine reg query 'HKCR\.qsig' >/dev/null 2>&1 || fail ".qsig is still associated"
[ "$(uninstall_entries)" = 0 ] || fail "the uninstall entry is still there"

[ "$failures" -eq 0 ] && echo "every check passed"
exit $((failures > 0))
